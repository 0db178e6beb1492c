// The sizes the board will draw a picture for: every size the settings
// dialog accepts (at most 8000 x 3000, 96 MB of 32-bit pixels). A size it
// failed to validate (zero, negative, or far beyond any screen) must not make
// a render ask GDI for gigabytes: such a render is skipped and the previous
// picture stays. Portable.
#pragma once

namespace framesize {

// The largest board the settings dialog accepts and a render draws.
constexpr int kMaxWidth = 8000;
constexpr int kMaxHeight = 3000;

// Width and height of a rectangle given by its edges, free of int overflow.
constexpr long long Extent(long long from, long long to) { return to - from; }

constexpr bool Drawable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxWidth && height <= kMaxHeight;
}

}  // namespace framesize
