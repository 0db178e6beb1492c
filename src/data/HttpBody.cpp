#include "data/HttpBody.h"

#include <cstring>
#include <string>

namespace httpbody {

bool Body::Append(const char* data, int length) {
    if (!data || length <= 0) return m_received <= kMaxBytes;
    m_received += length;
    if (m_received > kMaxBytes) return false;
    m_nul = m_nul || std::memchr(data, '\0', static_cast<size_t>(length)) != nullptr;
    std::string text;
    text.reserve(static_cast<size_t>(length) + 64);
    for (int i = 0; i < length; ++i) {
        if (data[i] == '\n') text += '\r';
        text += data[i];
    }
    m_text.Append(text.data(), static_cast<int>(text.size()));
    return true;
}

Kind Body::Check(bool encoded) const {
    if (m_received > kMaxBytes) return Kind::TooLarge;
    const std::string& text = m_text.str();
    if (encoded || text.compare(0, 2, "\x1F\x8B") == 0) return Kind::Compressed;
    if (m_nul) return Kind::Binary;
    return Kind::Text;
}

}  // namespace httpbody
