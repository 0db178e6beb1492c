#include "data/RateFile.h"

#include <cstring>

// Placeholder until the rate reader lands: every table is empty.
int ReadRateFile(const CString&, char* buffer) {
    if (buffer) std::memset(buffer, 0, RATE_BUFFER_SIZE);
    return 0;
}
