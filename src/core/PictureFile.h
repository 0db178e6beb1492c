// A picture file beside the program (bg.jpg), read the way a board that runs
// for months must read it: never kept open, shared with the program that
// writes it, and bounded in size. See PictureCheck.h for what the board
// does with what it learns here.
#pragma once
#include <cstdint>
#include <optional>

#include "core/PictureCheck.h"
#include "framework/Afx.h"
#include "framework/GdiPlus.h"

namespace picture {

// No picture the board can draw needs more; a larger file is no picture.
constexpr std::uint64_t kMaxBytes = 32u * 1024u * 1024u;

Stamp StampOf(const CString& path);
// The ContentHash of the file's bytes now (0 for one larger than
// kMaxBytes); nothing when it cannot be read.
std::optional<std::uint64_t> HashOf(const CString& path);
// Reads the file and draws it at its natural pixel size, top-left corner at
// (x, y); what reached the picture. A file that is no picture (empty, cut
// short, larger than kMaxBytes) draws nothing.
Seen Draw(Gdiplus::Graphics& graphics, int x, int y, const CString& path);

}  // namespace picture
