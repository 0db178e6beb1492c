// When the board downloads the weather again after a failed download. A PC
// at the front desk often starts before its network is up: the board tries
// again after 1, 2, 5, 10 and 30 minutes, then waits for its hourly
// download. One retry at most waits at a time; a published record or a new
// placement starts the schedule over. Portable: the board arms its timer
// with the delay this class gives.
#pragma once

// The delay before retry number `failures` (1 for the first), in ms, or 0
// when the retries are used up.
unsigned long WeatherRetryDelayMs(int failures);

class RetrySchedule {
public:
    // A download failed: the delay of the retry now waiting, or 0 when the
    // retries are used up and none waits.
    unsigned long Failed();
    // A record was published, or the board was placed: no retry waits.
    void Restart();
    // The retry's timer fired: true when a retry was waiting (it no longer is).
    bool Fire();
    // The delay of the retry waiting, or 0 when none waits.
    unsigned long PendingMs() const { return m_pendingMs; }

private:
    int m_failures = 0;  // since the last success or placement
    unsigned long m_pendingMs = 0;
};
