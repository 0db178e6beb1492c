// The weather record shared by the weather downloads (writers) and the
// board's painter (reader). Every reader gets one whole string; a writer
// replaces it in one step. Portable.
#pragma once
#include <mutex>
#include "framework/CString.h"

class WeatherRecord {
public:
    CString Get() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }
    void Set(const CString& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text = text;
    }

private:
    mutable std::mutex m_mutex;
    CString m_text;
};
