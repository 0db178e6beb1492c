// boardcheck's checks: what the board would see, judged for a person. Each
// prints its lines and gives 0 when all is well, 1 when the check failed.
#pragma once
#include <optional>
#include <string>

#include "framework/CString.h"

class CCore;

// The board's own weather download for the configured city (or `city`), or
// a saved page; 0 when the board gets a record from it.
int CheckWeather(CCore& core, const std::optional<std::wstring>& pageFile, const std::optional<CString>& city);
// A rate file as the board reads it; 1 when it is missing or cannot be read.
int CheckRateFile(const CString& path);
// The settings in config.ini; 1 when the board cannot write the file.
int CheckConfig(CCore& core);
// Whether the city id is one of the weather service's; when not, a line
// that says what a city code looks like.
bool CityCodeNote(const CString& id, CString* note);
