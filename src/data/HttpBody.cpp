#include "data/HttpBody.h"

#include <cstring>
#include <string>

namespace httpbody {

void AppendChunk(CString& body, const char* data, int length) {
    if (!data || length <= 0) return;
    const void* nul = std::memchr(data, '\0', static_cast<size_t>(length));
    const int usable = nul ? static_cast<int>(static_cast<const char*>(nul) - data) : length;
    std::string text;
    text.reserve(static_cast<size_t>(usable) + 64);
    for (int i = 0; i < usable; ++i) {
        if (data[i] == '\n') text += '\r';
        text += data[i];
    }
    body += CString(std::move(text));
}

}  // namespace httpbody
