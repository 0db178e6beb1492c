#include "data/WeatherThread.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "core/Globals.h"
#include "core/Core.h"
#include "data/HttpBody.h"
#include "data/WeatherScraper.h"
#include "framework/NeverDestroyed.h"

namespace {

const char kAcceptHeader[] = "Accept: */*";
const char kUserAgentHeader[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The downloads in flight. A stop bumps the generation: a worker of an older
// generation no longer touches the core instance, the record or the board.
// Every such touch happens under the lock, so once a stop has taken the lock
// none is in progress and none can start.
struct DownloadRegistry {
    std::mutex mutex;
    unsigned generation = 0;
    struct Worker {
        UniqueKernelHandle thread;
        HWND board = nullptr;
    };
    std::vector<Worker> workers;               // to wait for; pruned as they end
    std::vector<CInternetSession*> sessions;  // open right now, owned by their workers
};

DownloadRegistry& Registry() {
    // A worker abandoned by a stop may still reach for the lock while the
    // process exits.
    static NeverDestroyed<DownloadRegistry> registry;
    return registry.get();
}

template <typename F>
bool IfCurrent(unsigned generation, F&& action) {
    DownloadRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    if (generation != reg.generation) return false;
    action();
    return true;
}

bool Ended(HANDLE h) { return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }

}  // namespace

// ---- starting ----------------------------------------------------------------------

WeatherThread::WeatherThread(AFX_THREADPROC proc, WeatherThreadParam* param) : CWinThread(proc, param) {
    param->pThread = this;
    DownloadRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    m_generation = reg.generation;
}

WeatherThread::~WeatherThread() { CloseAll(); }

BOOL StartWeatherDownload(HWND board) {
    std::unique_ptr<WeatherThreadParam> param(new (std::nothrow) WeatherThreadParam);
    if (!param) return FALSE;
    param->hBoard = board;
    std::unique_ptr<WeatherThread> thread(new (std::nothrow)
                                              WeatherThread(&WeatherThread::WeatherThreadProc, param.get()));
    if (!thread) return FALSE;

    DownloadRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    thread->m_generation = reg.generation;  // no stop can come between here and the listing
    // Suspended until it is listed, so that a stop can never miss it.
    if (!thread->CreateThread(CREATE_SUSPENDED)) return FALSE;
    reg.workers.erase(std::remove_if(reg.workers.begin(), reg.workers.end(),
                                     [](const DownloadRegistry::Worker& w) { return Ended(w.thread.get()); }),
                      reg.workers.end());
    HANDLE waitable = nullptr;
    if (::DuplicateHandle(::GetCurrentProcess(), thread->ThreadHandle(), ::GetCurrentProcess(), &waitable,
                          SYNCHRONIZE, FALSE, 0)) {
        reg.workers.push_back(DownloadRegistry::Worker{UniqueKernelHandle(waitable), board});
    }
    // From here the worker owns both objects and deletes them when it ends.
    thread->ResumeThread();
    thread.release();
    param.release();
    return TRUE;
}

UINT WeatherThread::WeatherThreadProc(LPVOID p) {
    std::unique_ptr<WeatherThreadParam> param(static_cast<WeatherThreadParam*>(p));
    param->pThread->RunFetch(param.get());
    return 0;
}

// ---- one download ------------------------------------------------------------------

BOOL WeatherThread::RunFetch(WeatherThreadParam* param) {
    m_hBoard = param->hBoard;
    if (!OpenSession()) {
        IfCurrent(m_generation, [&] {
            ::PostMessageW(m_hBoard, WM_WEATHER_DONE, 0, -1);
            ::PostMessageW(m_hBoard, WM_WEATHER_RESULT, FALSE, 0);
        });
        return FALSE;
    }
    const BOOL published = UpdateWeather() == 0;
    // A download the board hears about holds nothing any more.
    CloseAll();
    IfCurrent(m_generation, [&] { ::PostMessageW(m_hBoard, WM_WEATHER_RESULT, published, 0); });
    return TRUE;
}

BOOL WeatherThread::OpenSession() {
    try {
        m_pSession = std::make_unique<CInternetSession>(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        m_pSession->SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, TIMEOUT_MS);
        m_pSession->SetOption(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, TIMEOUT_MS);
        m_pSession->SetOption(INTERNET_OPTION_DATA_SEND_TIMEOUT, TIMEOUT_MS);
        m_pSession->SetOption(INTERNET_OPTION_CONNECT_BACKOFF, CONNECT_BACKOFF_MS);
        m_pSession->SetOption(INTERNET_OPTION_CONNECT_RETRIES, CONNECT_RETRIES);
        m_pSession->EnableStatusCallback(TRUE);
    } catch (const CInternetException&) {
        // No session: the caller tells the board.
        m_pSession.reset();
        return FALSE;
    }
    DownloadRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    if (m_generation != reg.generation) {
        m_pSession->Abort();  // stopped before it got here: every request fails at once
    } else {
        reg.sessions.push_back(m_pSession.get());
        HANDLE timer = nullptr;
        if (::CreateTimerQueueTimer(&timer, nullptr, &WeatherThread::OnOverdue, this, OVERDUE_MS, 0,
                                    WT_EXECUTEONLYONCE)) {
            m_overdue.reset(timer);
        }
    }
    return TRUE;
}

void CALLBACK WeatherThread::OnOverdue(PVOID self, BOOLEAN) {
    // The session is open while the timer lives: CloseAll deletes the timer,
    // waiting for this callback, before it lets the session go.
    static_cast<WeatherThread*>(self)->m_pSession->Abort();
}

void WeatherThread::OpenRequest(const CString& address, DWORD waitMs) {
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    AfxParseURL(address, service, server, object, port);  // a bad address fails below
    m_pConnection = m_pSession->GetHttpConnection(server, port, nullptr, nullptr);
    m_pFile = m_pConnection->OpenRequest(CHttpConnection::HTTP_VERB_GET, object, nullptr, 0, nullptr, nullptr,
                                         REQUEST_FLAGS);
    // Every wait of the request on its socket, bounded by the time the
    // download has left. Some WinINet builds (Wine's among them) take the
    // data time-outs of the session for nothing, and take a request's only
    // before it is sent.
    m_pFile->SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, waitMs);
    m_pFile->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, waitMs);
    m_pFile->SetOption(INTERNET_OPTION_SEND_TIMEOUT, waitMs);
    m_pFile->AddRequestHeaders(kAcceptHeader, HTTP_ADDREQ_FLAG_ADD_IF_NEW, -1);
    m_pFile->AddRequestHeaders(kUserAgentHeader, HTTP_ADDREQ_FLAG_ADD_IF_NEW, -1);
}

CString WeatherThread::Fail(Failure failure) {
    m_failure = failure;
    CloseRequest();
    return CString();
}

CString WeatherThread::HttpGet(const char* url) {
    m_lastStatus = 0;
    m_lastError = 0;
    m_failure = Failure::None;
    m_redirects.clear();
    if (!m_pSession) return Fail(Failure::Network);
    const DWORD start = ::GetTickCount();
    const auto left = [start]() -> DWORD {
        const DWORD spent = ::GetTickCount() - start;
        return spent < DEADLINE_MS ? DEADLINE_MS - spent : 0;
    };
    try {
        // Redirects are followed here, not by WinINet, which would follow a
        // loop for ever.
        CString address(url);
        for (;;) {
            if (left() == 0) return Fail(Failure::Deadline);
            OpenRequest(address, std::min(TIMEOUT_MS, left()));
            m_pFile->SendRequest();
            DWORD status = 0;
            m_pFile->QueryInfoStatusCode(status);
            m_lastStatus = status;
            CString location, next;
            const bool redirect = status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
                                  status == HTTP_STATUS_REDIRECT_METHOD || status == HTTP_STATUS_REDIRECT_KEEP_VERB ||
                                  status == HTTP_STATUS_PERMANENT_REDIRECT;
            if (!redirect || !m_pFile->QueryInfo(HTTP_QUERY_LOCATION, location) ||
                !CombineURL(address, location, next)) {
                if (status != HTTP_STATUS_OK) return Fail(Failure::Status);
                break;
            }
            CloseRequest();
            m_redirects.push_back(next);
            if (static_cast<int>(m_redirects.size()) > MAX_REDIRECTS) return Fail(Failure::RedirectLoop);
            address = next;
        }
        CString encoding;
        const bool encoded = m_pFile->QueryInfo(HTTP_QUERY_CONTENT_ENCODING, encoding) && encoding != "identity";
        httpbody::Body body;
        char buffer[READ_BUFFER];
        // Only what has arrived is read: a read of more would wait, inside
        // WinINet, for all of it, however slowly it comes.
        while (const DWORD available = m_pFile->QueryDataAvailable()) {
            const UINT read = m_pFile->Read(buffer, std::min<DWORD>(available, READ_BUFFER - 1));
            if (read == 0 || !body.Append(buffer, static_cast<int>(read))) break;
            if (left() == 0) return Fail(Failure::Deadline);
        }
        switch (body.Check(encoded)) {
        case httpbody::Kind::TooLarge:
            return Fail(Failure::TooLarge);
        case httpbody::Kind::Compressed:
            return Fail(Failure::Compressed);
        case httpbody::Kind::Binary:
            return Fail(Failure::Binary);
        case httpbody::Kind::Text:
            break;
        }
        CloseRequest();
        return body.Take();
    } catch (const CInternetException& e) {
        // Unreachable host, time-out, refused or dropped connection, or an
        // abort at shutdown: the download simply gives nothing.
        m_lastError = e.m_dwError;
        return Fail(left() == 0 ? Failure::Deadline : Failure::Network);
    }
}

BOOL WeatherThread::CloseRequest() {
    try {
        if (m_pFile) {
            m_pFile->Close();
            m_pFile.reset();
        }
        if (m_pConnection) {
            m_pConnection->Close();
            m_pConnection.reset();
        }
        return TRUE;
    } catch (const CInternetException&) {
        // The handle is gone either way; what is left closes with its owner.
        return FALSE;
    }
}

BOOL WeatherThread::CloseAll() {
    m_overdue.reset();
    BOOL ok = CloseRequest();
    if (m_pSession) {
        {
            DownloadRegistry& reg = Registry();
            std::lock_guard<std::mutex> lock(reg.mutex);
            reg.sessions.erase(std::remove(reg.sessions.begin(), reg.sessions.end(), m_pSession.get()),
                               reg.sessions.end());
        }
        try {
            m_pSession->Close();
        } catch (const CInternetException&) {
            ok = FALSE;  // nothing more can be done about a session WinINet will not close
        }
        m_pSession.reset();
    }
    return ok;
}

int WeatherThread::UpdateWeather() {
    CString city;
    bool haveCore = false;
    IfCurrent(m_generation, [&] {
        if (!g_core) return;
        city = g_core->getConfigStr("cityid");
        haveCore = true;
    });
    if (!haveCore) return -1;

    CString page = HttpGet(weather::PageAddress(city));
    if (page.IsEmpty()) return -1;
    bool converted = false;
    IfCurrent(m_generation, [&] {
        if (!g_core) return;
        g_core->UTF8_ANSI(page);
        converted = true;
    });
    if (!converted) return -1;

    const auto record = weather::ScrapeRecord(page);
    if (!record) return -1;
    // Published once, whole, and only while the program still wants it.
    return IfCurrent(m_generation, [&] { g_weatherRecord.Set(*record); }) ? 0 : -1;
}

// ---- shutdown ----------------------------------------------------------------------

void StopAllWeatherDownloads(DWORD timeoutMs) {
    DownloadRegistry& reg = Registry();
    std::vector<DownloadRegistry::Worker> workers;
    {
        std::lock_guard<std::mutex> lock(reg.mutex);
        ++reg.generation;
        for (CInternetSession* session : reg.sessions) session->Abort();
        workers.swap(reg.workers);
    }
    const DWORD start = ::GetTickCount();
    for (const DownloadRegistry::Worker& w : workers) {
        const DWORD spent = ::GetTickCount() - start;
        ::WaitForSingleObject(w.thread.get(), spent < timeoutMs ? timeoutMs - spent : 0);
    }
    // A worker still blocked in the network (WinINet does not always give
    // up a call when its handles close) stays listed; it will not touch
    // anything of the program again.
    std::lock_guard<std::mutex> lock(reg.mutex);
    for (DownloadRegistry::Worker& w : workers) {
        if (!Ended(w.thread.get())) reg.workers.push_back(std::move(w));
    }
}

int RunningWeatherDownloads(HWND board) {
    DownloadRegistry& reg = Registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    return static_cast<int>(std::count_if(reg.workers.begin(), reg.workers.end(), [&](const DownloadRegistry::Worker& w) {
        return (!board || w.board == board) && !Ended(w.thread.get());
    }));
}
