// One string of the board as a render fills it: its ink (which colour fills
// it), its font and where it stands. The painters describe the whole board
// as a list of these; the render turns them into glyph outlines. Portable.
#pragma once
#include <string>
#include <tuple>

enum class Ink { Digit, Text };

struct Outline {
    Ink ink = Ink::Text;
    bool digitFace = false;  // the digit font family, else the text family
    std::wstring text;       // UTF-16
    int emSize = 0;          // pixels
    int x = 0;               // top-left corner of the layout box
    int y = 0;

    friend bool operator<(const Outline& a, const Outline& b) {
        return std::tie(a.ink, a.digitFace, a.text, a.emSize, a.x, a.y) <
               std::tie(b.ink, b.digitFace, b.text, b.emSize, b.x, b.y);
    }
    friend bool operator==(const Outline& a, const Outline& b) { return !(a < b) && !(b < a); }
    friend bool operator!=(const Outline& a, const Outline& b) { return !(a == b); }
};
