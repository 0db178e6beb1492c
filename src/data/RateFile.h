// The rate files beside the program and the fixed-size table the board draws
// from (layout and line format in data/RateParser.h).
#pragma once
#include "data/RateParser.h"
#include "framework/CString.h"

// How a rate file was read. Notepad saves new files as UTF-8, and text
// pasted from elsewhere often arrives that way: such a file is converted to
// code page 936 first (characters it lacks become "?"); every other file is
// taken byte for byte.
enum class RateEncoding { Unread, CodePage936, Utf8 };

// Clears buffer (RATE_BUFFER_SIZE bytes), fills it from the file at path and
// returns the number of records, at most MAX_RATE_ROWS. A file that is
// missing, cannot be opened or fails while being read gives 0 records and a
// buffer of zero bytes. encoding and observer (each may be null) hear how
// the file was read and what became of each line.
int ReadRateFile(const CString& path, char* buffer, RateEncoding* encoding = nullptr,
                 const rates::RateParser::Observer& observer = nullptr);
