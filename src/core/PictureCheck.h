// The background picture file (bg.jpg) as a picture drew it, and what the
// board must do when it looks at the file again. Looking costs little every
// second (the file's size and write time); reading its bytes costs more, so
// they are compared once a minute. A file that could not be read is tried
// again every second, so a picture still held by the program writing it
// shows as soon as that program lets go. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>

namespace picture {

// What the file system tells of the file without opening it.
struct Stamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t written = 0;  // last write time, in the system's units
    bool operator==(const Stamp& o) const { return exists == o.exists && size == o.size && written == o.written; }
    bool operator!=(const Stamp& o) const { return !(*this == o); }
};

// What of the file reached a picture.
struct Seen {
    enum class Kind {
        None,        // no file: the background colour
        Unreadable,  // the file could not be opened or read: the colour, for now
        Read,        // its bytes were read: drawn, or the colour when they are no picture
    };
    Kind kind = Kind::None;
    Stamp stamp;             // taken before the bytes were read
    std::uint64_t hash = 0;  // ContentHash of the bytes read
    bool drawn = false;      // the picture itself reached the picture
    bool operator==(const Seen& o) const {
        return kind == o.kind && stamp == o.stamp && hash == o.hash && drawn == o.drawn;
    }
};

// FNV-1a, 64 bits: enough to tell a replaced picture from the one drawn.
// A file read in pieces hashes piece after piece, each from the last result.
constexpr std::uint64_t kHashStart = 14695981039346656037ull;
std::uint64_t ContentHash(const void* bytes, std::size_t size, std::uint64_t hash = kHashStart);

enum class Next {
    Keep,            // the picture still shows the file as it is
    Redraw,          // draw the background again
    TryRead,         // redraw if the file can be read now
    CompareContent,  // redraw if the file's bytes no longer hash to what was drawn
};

// `now` is the file's stamp this second; `minuteDue` when the once-a-minute
// look at the bytes is due.
Next Decide(const Seen& drawn, const Stamp& now, bool minuteDue);

// Once a minute at least: due when a minute has passed since the last time,
// and at once when the clock went back (a clock set back an hour must not
// hold the check off for an hour).
class MinuteCheck {
public:
    bool Due(std::time_t now) const { return !m_done || now < m_last || now - m_last >= 60; }
    void Done(std::time_t now) {
        m_done = true;
        m_last = now;
    }

private:
    bool m_done = false;
    std::time_t m_last = 0;
};

}  // namespace picture
