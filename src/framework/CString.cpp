#include "framework/CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    size_t pos = m_s.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t pos = m_s.find(sub, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(char oldCh, char newCh) {
    int count = 0;
    for (char& c : m_s) {
        if (c == oldCh) { c = newCh; ++count; }
    }
    return count;
}

int CString::Replace(const char* oldText, const char* newText) {
    if (!oldText || !*oldText) return 0;
    const std::string from(oldText), to(newText ? newText : "");
    std::string out;
    int count = 0;
    size_t pos = 0;
    for (size_t hit; (hit = m_s.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
        out.append(m_s, pos, hit - pos);
        out += to;
        ++count;
    }
    if (count == 0) return 0;
    out.append(m_s, pos, std::string::npos);
    m_s.swap(out);
    return count;
}

int CString::Remove(char ch) {
    size_t before = m_s.size();
    std::string out;
    out.reserve(before);
    for (char c : m_s) {
        if (c != ch) out += c;
    }
    m_s.swap(out);
    return static_cast<int>(before - m_s.size());
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count < 0) count = 0;
    if (first >= GetLength()) return CString();
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return Mid(GetLength() - count, count);
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        m_s.clear();
    } else {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        m_s.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
}
