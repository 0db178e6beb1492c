// Reading the board off the screen: the background as shown, ink (pixels
// that are not background), horizontal bands of ink (text rows), and where
// two shots of the same rectangle differ.
#pragma once
#include <vector>

#include "support/ProgramDriver.h"

namespace testsupport {

// A colour as Xvfb shows a pixel of the layered board: the board is blended
// over black with a constant alpha of 253, so each channel c shows as
// c x 253 / 255 (truncated).
unsigned Blended(unsigned rgb);

// Every channel of a and b within tolerance of each other.
bool Near(unsigned a, unsigned b, int tolerance);

// The most frequent colour in the area (the background of a panel).
unsigned MostCommon(const Pixels& shot, const RECT& area);

// Pixels of the area farther than tolerance (in any channel) from background.
int CountInk(const Pixels& shot, const RECT& area, unsigned background, int tolerance = 40);

// Runs of pixel rows of the area that hold ink; bottom is exclusive.
struct Band {
    int top;
    int bottom;
};
std::vector<Band> InkBands(const Pixels& shot, const RECT& area, unsigned background, int tolerance = 40);

// The smallest rectangle holding every pixel in which two equally sized
// shots differ; an empty rectangle when they are equal.
RECT DiffBounds(const Pixels& a, const Pixels& b);

// Whether the rectangle inner lies inside outer (edges included).
bool Inside(const RECT& inner, const RECT& outer);

// Shots of one area, and whether they are pixel for pixel the same.
bool SamePixels(const Pixels& a, const Pixels& b);
Pixels Crop(const Pixels& shot, const RECT& area);

}  // namespace testsupport
