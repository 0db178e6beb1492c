// Weather downloads: one short-lived worker per download.
#pragma once
#include "framework/Win.h"

// Aborts every download still running and waits for the workers, at most
// timeoutMs in all. Called on the user-interface thread before the board and
// the core instance go.
void StopAllWeatherDownloads(DWORD timeoutMs);
