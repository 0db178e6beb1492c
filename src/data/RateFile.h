// The rate files and the fixed-size table the board draws from.
#pragma once
#include "framework/CString.h"

constexpr int RATE_BUFFER_SIZE = 6300;  // 100 records
constexpr int RATE_RECORD_SIZE = 63;    // three slots
constexpr int RATE_FIELD_SIZE = 21;     // 20 bytes and a terminating zero
constexpr int MAX_RATE_ROWS = 100;

// Clears buffer (RATE_BUFFER_SIZE bytes), fills it from the file at path and
// returns the number of records; 0 when the file is missing or unreadable.
int ReadRateFile(const CString& path, char* buffer);
