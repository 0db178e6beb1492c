// A rate file the operator opens for editing before it exists: it is created
// first, holding one comment line that shows the line format. The reader
// skips every line with a ";", so the comment never becomes a row.
#pragma once
#include "framework/CString.h"

// The comment lines, code page 936, without line end.
extern const char kRoomRateHeader[];
extern const char kExchangeRateHeader[];

// Creates the file at path with headerLine and CR LF when no file is there;
// an existing file is left exactly as it is. TRUE when the file exists
// afterwards.
bool SeedRateFile(const CString& path, const char* headerLine);
