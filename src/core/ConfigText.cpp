#include "core/ConfigText.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace configtext {
namespace {
std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}
}  // namespace

const char* DefaultText(const std::string& key) {
    for (const Default& d : kDefaults) {
        if (key == d.key) return d.text;
    }
    return nullptr;
}

std::optional<int> ParseInt(const std::string& text) {
    std::string s = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::uint32_t> ParseColour(const std::string& text) {
    std::string s = Trim(text);
    if (!s.empty() && s[0] == '#') s.erase(0, 1);
    else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.erase(0, 2);
    if (s.size() != 8 && s.size() != 6) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : s) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (s.size() == 6) value |= 0xFF000000u;
    return value;
}

std::string FormatColour(std::uint32_t argb) {
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(argb));
    return buffer;
}

}  // namespace configtext
