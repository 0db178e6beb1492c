#include "core/PictureCheck.h"

namespace picture {

std::uint64_t ContentHash(const void* bytes, std::size_t size, std::uint64_t hash) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

Next Decide(const Seen& drawn, const Stamp& now, bool minuteDue) {
    if (drawn.kind == Seen::Kind::None) return now.exists ? Next::Redraw : Next::Keep;
    if (now != drawn.stamp) return Next::Redraw;  // replaced, grown or removed
    if (drawn.kind == Seen::Kind::Unreadable) return Next::TryRead;
    // Same size and write time: a copy that kept the time, or a file system
    // that counts time in two-second steps.
    return minuteDue ? Next::CompareContent : Next::Keep;
}

}  // namespace picture
