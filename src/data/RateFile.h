// The rate files beside the program and the fixed-size table the board draws
// from (layout and line format in data/RateParser.h).
#pragma once
#include "data/RateParser.h"
#include "framework/CString.h"

// Clears buffer (RATE_BUFFER_SIZE bytes), fills it from the file at path and
// returns the number of records, at most MAX_RATE_ROWS. A file that is
// missing, cannot be opened or fails while being read gives 0 records and a
// buffer of zero bytes.
int ReadRateFile(const CString& path, char* buffer);
