#include "framework/Text.h"

#include "framework/Win.h"

std::wstring Widen(const char* bytes, int length) {
    if (!bytes || length <= 0) return std::wstring();
    int n = MultiByteToWideChar(kTextCodePage, 0, bytes, length, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kTextCodePage, 0, bytes, length, &out[0], n);
    return out;
}

std::wstring Widen(const CString& text) { return Widen(text.GetString(), text.GetLength()); }

CString Narrow(const wchar_t* text, int length) {
    if (!text) return CString();
    if (length < 0) length = static_cast<int>(wcslen(text));
    if (length == 0) return CString();
    // Code page 936 has nothing beyond the BMP: a surrogate pair is one
    // character it lacks, one "?", not one for each half.
    std::wstring single;
    single.reserve(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        single += pair ? L'?' : text[i];
        i += pair ? 1 : 0;
    }
    const int count = static_cast<int>(single.size());
    int n = WideCharToMultiByte(kTextCodePage, 0, single.data(), count, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return CString();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kTextCodePage, 0, single.data(), count, &out[0], n, nullptr, nullptr);
    return CString(std::move(out));
}

CString Narrow(const std::wstring& text) { return Narrow(text.c_str(), static_cast<int>(text.size())); }
