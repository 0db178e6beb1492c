// The body of a weather download as it arrives, read by read, and what it
// turns out to be: the page's text, or something the scraper must not be
// given. Portable; boardcheck judges a page file by the same rules.
#pragma once
#include <utility>

#include "framework/CString.h"

namespace httpbody {

// A page larger than this is not a weather page (a real one is about
// 100 KB): the download stops reading there and fails.
constexpr long long kMaxBytes = 8 * 1024 * 1024;

enum class Kind {
    Text,        // the page's text
    TooLarge,    // more than kMaxBytes
    Compressed,  // a Content-Encoding, or the gzip signature: not text the scraper can read
    Binary,      // holds NUL bytes, which no HTML page does
};

class Body {
public:
    // Appends one read of `length` bytes, every LF byte as the pair CR LF
    // (so a CR LF in the page becomes CR CR LF); a NUL byte is kept like any
    // other. False once the body is over kMaxBytes: read no more.
    bool Append(const char* data, int length);
    // encoded: the answer named a Content-Encoding other than "identity".
    Kind Check(bool encoded = false) const;
    long long Received() const { return m_received; }
    const CString& Text() const { return m_text; }
    CString Take() { return std::move(m_text); }

private:
    CString m_text;
    long long m_received = 0;
    bool m_nul = false;
};

}  // namespace httpbody
