// Text forms of the values kept in config.ini, and the defaults a missing or
// unreadable value falls back to. Portable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace configtext {

struct Default {
    const char* key;
    const char* text;
};

// Every key the board keeps, with the value written for a missing key: a
// visible, pleasant board on a 1920 x 1080 primary screen.
constexpr Default kDefaults[] = {
    {"on", "1"},
    {"width", "768"},
    {"height", "432"},
    {"clrfont", "FFFFFFFF"},   // white text
    {"clrbg", "FF000080"},     // deep (navy) blue background
    {"clrdigi", "FFFFD700"},   // gold digits
    {"cityid", "101020100"},
};

// The default text of a key, or nullptr for an unknown key.
const char* DefaultText(const std::string& key);

// A whole decimal integer with an optional sign and surrounding blanks;
// nothing else, and nothing out of the int range.
std::optional<int> ParseInt(const std::string& text);

// An ARGB colour as 8 hexadecimal digits ("FF000080"), optionally with a
// leading "#" or "0x"; 6 digits are taken as opaque RGB.
std::optional<std::uint32_t> ParseColour(const std::string& text);
std::string FormatColour(std::uint32_t argb);

}  // namespace configtext
