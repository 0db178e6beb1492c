#include "data/RetrySchedule.h"

#include <iterator>

unsigned long WeatherRetryDelayMs(int failures) {
    static const unsigned long kMinutes[] = {1, 2, 5, 10, 30};
    if (failures < 1 || failures > static_cast<int>(std::size(kMinutes))) return 0;
    return kMinutes[failures - 1] * 60 * 1000;
}

unsigned long RetrySchedule::Failed() {
    // Past the last retry the count stops: months of failed hourly downloads
    // must not overflow it.
    if (WeatherRetryDelayMs(m_failures) != 0 || m_failures == 0) ++m_failures;
    m_pendingMs = WeatherRetryDelayMs(m_failures);
    return m_pendingMs;
}

void RetrySchedule::Restart() {
    m_failures = 0;
    m_pendingMs = 0;
}

bool RetrySchedule::Fire() {
    const bool waiting = m_pendingMs != 0;
    m_pendingMs = 0;
    return waiting;
}
