#include "data/WeatherThread.h"

// Placeholder until the weather download lands: nothing runs yet.
void StopAllWeatherDownloads(DWORD) {}
