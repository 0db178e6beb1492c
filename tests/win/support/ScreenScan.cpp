#include "support/ScreenScan.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace testsupport {

unsigned Blended(unsigned rgb) {
    unsigned out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned c = (rgb >> shift) & 0xFF;
        out |= (c * 253 / 255) << shift;
    }
    return out;
}

bool Near(unsigned a, unsigned b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

unsigned MostCommon(const Pixels& shot, const RECT& area) {
    std::map<unsigned, int> counts;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) ++counts[shot.At(x, y)];
    }
    auto best = std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return best == counts.end() ? 0u : best->first;
}

int CountInk(const Pixels& shot, const RECT& area, unsigned background, int tolerance) {
    int ink = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (!Near(shot.At(x, y), background, tolerance)) ++ink;
        }
    }
    return ink;
}

std::vector<Band> InkBands(const Pixels& shot, const RECT& area, unsigned background, int tolerance) {
    std::vector<Band> bands;
    bool inBand = false;
    for (int y = area.top; y < area.bottom; ++y) {
        bool ink = false;
        for (int x = area.left; x < area.right && !ink; ++x) ink = !Near(shot.At(x, y), background, tolerance);
        if (ink && !inBand) bands.push_back(Band{y, y + 1});
        if (ink) bands.back().bottom = y + 1;
        inBand = ink;
    }
    return bands;
}

RECT DiffBounds(const Pixels& a, const Pixels& b) {
    RECT r{a.width, a.height, 0, 0};
    if (a.width != b.width || a.height != b.height) return RECT{0, 0, a.width, a.height};
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) == b.At(x, y)) continue;
            r.left = std::min<LONG>(r.left, x);
            r.top = std::min<LONG>(r.top, y);
            r.right = std::max<LONG>(r.right, x + 1);
            r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    }
    if (r.right == 0) return RECT{0, 0, 0, 0};
    return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool SamePixels(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (size_t i = 0; i < a.argb.size(); ++i) {
        if ((a.argb[i] & 0xFFFFFF) != (b.argb[i] & 0xFFFFFF)) return false;
    }
    return true;
}

Pixels Crop(const Pixels& shot, const RECT& area) {
    Pixels out;
    out.width = area.right - area.left;
    out.height = area.bottom - area.top;
    out.argb.reserve(static_cast<size_t>(out.width) * out.height);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) out.argb.push_back(shot.At(x, y));
    }
    return out;
}

}  // namespace testsupport
