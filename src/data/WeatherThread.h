// Weather downloads: one short-lived worker per download. The worker opens
// its own internet session, fetches the configured city's page, scrapes it
// and publishes the new record whole; it reaches the board only by posting
// to its window. Every download in flight is listed, so that the program's
// shutdown can abort them and wait for them within a bound.
#pragma once
#include <memory>
#include <vector>

#include "framework/Afx.h"
#include "framework/Internet.h"
#include "framework/WinThread.h"

class WeatherThread;

// Handed to each new worker; the thread function deletes it.
struct WeatherThreadParam {
    HWND hBoard = nullptr;
    WeatherThread* pThread = nullptr;
};

class WeatherThread : public CWinThread {
public:
    // Session options of every download: each wait on the network (connect,
    // send, receive) ends after TIMEOUT_MS without progress.
    static constexpr DWORD TIMEOUT_MS = 5000;
    static constexpr DWORD CONNECT_BACKOFF_MS = 1000;
    static constexpr DWORD CONNECT_RETRIES = 1;
    // The whole download, redirects and all, from its start: a server that
    // keeps sending a byte now and then is given up too. No step starts
    // after it; the wait in progress then ends with its piece of the page or
    // its time-out, which is never longer than the time the download had left
    // when its request went out.
    static constexpr DWORD DEADLINE_MS = 15000;
    // A download still in the network this long after its start has its
    // handles closed from outside: a server that sends its headers a byte at
    // a time keeps WinINet's own header read going, and closing the handles
    // is the one way to end a blocked call (Windows returns from it; Wine 8
    // returns only when the server stops sending, but nothing is left open).
    static constexpr DWORD OVERDUE_MS = DEADLINE_MS + 1000;
    // Redirects followed in one download; one more is a loop.
    static constexpr int MAX_REDIRECTS = 5;
    static constexpr DWORD REQUEST_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT |
                                           INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    static constexpr UINT READ_BUFFER = 4096;  // at most READ_BUFFER - 1 bytes a read

    // Why the last HttpGet gave nothing.
    enum class Failure {
        None,
        Network,        // a WinINet error: LastError()
        Status,         // an HTTP status other than 200: LastStatus()
        RedirectLoop,   // more than MAX_REDIRECTS redirects: Redirects()
        Deadline,       // the page had not arrived after DEADLINE_MS
        TooLarge,       // over httpbody::kMaxBytes
        Compressed,     // a compressed body
        Binary,         // a body with NUL bytes
    };

    WeatherThread(AFX_THREADPROC proc, WeatherThreadParam* param);
    ~WeatherThread() override;

    static UINT WeatherThreadProc(LPVOID param);

    BOOL RunFetch(WeatherThreadParam* param);
    BOOL OpenSession();
    // The response body as raw bytes (LF made CR LF), or empty on any
    // failure: LastFailure() then tells why. LastStatus() is the last HTTP
    // status, or 0 when none was received, LastError() the WinINet error, if
    // any, and Redirects() the addresses the server sent the download on to.
    CString HttpGet(const char* url);
    BOOL CloseRequest();
    BOOL CloseAll();
    // 0 when the weather record was replaced, -1 when no page body was found.
    int UpdateWeather();

    DWORD LastStatus() const { return m_lastStatus; }
    DWORD LastError() const { return m_lastError; }
    Failure LastFailure() const { return m_failure; }
    const std::vector<CString>& Redirects() const { return m_redirects; }
    CInternetSession* Session() const { return m_pSession.get(); }

private:
    // Opens the request for address, with every wait bounded by waitMs.
    void OpenRequest(const CString& address, DWORD waitMs);
    CString Fail(Failure failure);
    static void CALLBACK OnOverdue(PVOID self, BOOLEAN);

    std::unique_ptr<CInternetSession> m_pSession;
    std::unique_ptr<CHttpConnection> m_pConnection;
    std::unique_ptr<CHttpFile> m_pFile;
    HWND m_hBoard = nullptr;
    DWORD m_lastStatus = 0;
    DWORD m_lastError = 0;
    Failure m_failure = Failure::None;
    std::vector<CString> m_redirects;
    unsigned m_generation = 0;  // the stop generation this download belongs to
    UniqueTimerQueueTimer m_overdue;  // closes the handles at OVERDUE_MS

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
