// String contracts of the core library that the board, the rate reader and
// the weather scraper rely on. Portable: bytes in code page 936 in and out.
#pragma once
#include "framework/CString.h"

namespace strutil {

// Field number `index` (from 0) of `text` split at `sep`. Index 0 of a text
// without the separator is the whole text; an index past the last field, or a
// negative one, gives an empty string. Empty fields count.
CString Field(const CString& text, char sep, int index);

// The text strictly between the first `start` marker and the first `end`
// marker that begins after that start marker ends; empty when either marker
// is missing.
CString Between(const CString& text, const char* start, const char* end);

// Decimal text of a signed integer.
CString IntText(int value);

// Weekday as shown on the board: "星期日" for 0 (Sunday) to "星期六" for 6.
CString WeekdayText(int dayOfWeekFromSunday);

}  // namespace strutil
