// Weather downloads: one short-lived worker per download. The worker opens
// its own internet session, fetches the configured city's page, scrapes it
// and publishes the new record whole; it reaches the board only by posting
// to its window. Every download in flight is listed, so that the program's
// shutdown can abort them and wait for them within a bound.
#pragma once
#include <memory>

#include "framework/Afx.h"
#include "framework/Internet.h"
#include "framework/WinThread.h"
#include "data/RetrySchedule.h"  // WeatherRetryDelayMs

class WeatherThread;

// Handed to each new worker; the thread function deletes it.
struct WeatherThreadParam {
    HWND hBoard = nullptr;
    WeatherThread* pThread = nullptr;
};

class WeatherThread : public CWinThread {
public:
    // Session options of every download.
    static constexpr DWORD TIMEOUT_MS = 5000;
    static constexpr DWORD CONNECT_BACKOFF_MS = 1000;
    static constexpr DWORD CONNECT_RETRIES = 1;
    static constexpr DWORD REQUEST_FLAGS =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE;
    static constexpr UINT READ_BUFFER = 4096;  // at most READ_BUFFER - 1 bytes a read
    // A page larger than this is not a weather page; the download fails
    // rather than growing without end.
    static constexpr int MAX_BODY = 8 * 1024 * 1024;

    WeatherThread(AFX_THREADPROC proc, WeatherThreadParam* param);
    ~WeatherThread() override;

    static UINT WeatherThreadProc(LPVOID param);

    BOOL RunFetch(WeatherThreadParam* param);
    BOOL OpenSession();
    // The response body as raw bytes (LF made CR LF, each read cut at a NUL),
    // or empty on any failure. LastStatus() then tells the HTTP status, or 0
    // when none was received, and LastError() the WinINet error, if any.
    CString HttpGet(const char* url);
    BOOL CloseRequest();
    BOOL CloseAll();
    // 0 when the weather record was replaced, -1 when no page body was found.
    int UpdateWeather();

    DWORD LastStatus() const { return m_lastStatus; }
    DWORD LastError() const { return m_lastError; }
    CInternetSession* Session() const { return m_pSession.get(); }

private:
    std::unique_ptr<CInternetSession> m_pSession;
    std::unique_ptr<CHttpConnection> m_pConnection;
    std::unique_ptr<CHttpFile> m_pFile;
    HWND m_hBoard = nullptr;
    DWORD m_lastStatus = 0;
    DWORD m_lastError = 0;
    unsigned m_generation = 0;  // the stop generation this download belongs to

    friend BOOL StartWeatherDownload(HWND board);
};

// Starts one download for the board window: TRUE when the worker runs.
BOOL StartWeatherDownload(HWND board);

// Aborts every download still running (closing its internet handles) and
// waits for the workers, at most timeoutMs in all. Called on the
// user-interface thread before the board and the core instance go. From then
// on no worker of those downloads touches the core instance, the weather
// record or the board, even one still blocked in the network when the bound
// runs out.
void StopAllWeatherDownloads(DWORD timeoutMs);

// Workers started and not yet ended, for the board or for all boards.
int RunningWeatherDownloads(HWND board = nullptr);
