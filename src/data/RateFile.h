// The rate files beside the program and the fixed-size table the board draws
// from (line format in data/RateParser.h, encodings in data/RateText.h).
#pragma once
#include "data/RateParser.h"
#include "data/RateText.h"
#include "framework/CString.h"

// The two files beside the program: the room rates and the exchange rates.
constexpr char kRoomRateFile[] = "_房价.txt";
constexpr char kExchangeRateFile[] = "_外币兑换.txt";

// What one read of a rate file gave.
struct RateFileRead {
    int count = 0;  // records now in the buffer, at most MAX_RATE_ROWS
    RateEncoding encoding = RateEncoding::Unread;
    // False when the file exists but could not be opened or read through
    // (held by another program, no permission, a disk error): the buffer is
    // then left as it was, so the board keeps showing the last good table.
    bool readable = true;
    unsigned long error = 0;  // the system's error code when not readable
};

// Fills buffer (RATE_BUFFER_SIZE bytes) from the file at path, read once.
// A file that does not exist gives 0 records and a buffer of zero bytes.
// The observer, if any, hears what became of each line of the reading taken.
RateFileRead ReadRateFile(const CString& path, char* buffer, const rates::RateParser::Observer& observer = nullptr);
