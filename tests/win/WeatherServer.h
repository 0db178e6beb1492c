// The weather tests' server: the loopback HTTP server answering every
// connection by the current script (a status and a body in pieces, a dropped
// connection, a body cut off halfway, or silence), where a silent connection
// waits until released and may then answer with another script.
#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Win.h"
#include "support/LoopbackHttpServer.h"

class WeatherServer {
public:
    enum class Mode { Answer, DropAfterRequest, DropMidBody, Hang };
    struct Script {
        Mode mode = Mode::Answer;
        int status = 200;
        std::vector<std::string> chunks;  // body pieces, sent one by one
        DWORD chunkDelayMs = 0;
    };

    WeatherServer() : m_server([this](const std::string&) { return Reply(); }) {}
    ~WeatherServer() { Release(); }  // silent connections end before the server joins them

    std::string ProxyAddress() const { return m_server.ProxyUrl(); }
    std::vector<std::string> Requests() const { return m_server.Requests(); }

    void SetScript(const Script& script) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_script = script;
        m_released = false;
    }
    // Lets every silent connection answer with `script`, or hang up without one.
    void Release(const Script* script = nullptr) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hasReleaseScript = script != nullptr;
        if (script) m_releaseScript = *script;
        m_released = true;
        m_cv.notify_all();
    }
    // Waits until `count` requests have arrived (at most ms).
    bool WaitForRequests(size_t count, DWORD ms) const {
        const DWORD start = ::GetTickCount();
        while (m_server.Requests().size() < count) {
            if (::GetTickCount() - start > ms) return false;
            ::Sleep(10);
        }
        return true;
    }

private:
    testsupport::HttpReply Reply() {
        std::unique_lock<std::mutex> lock(m_mutex);
        Script script = m_script;
        if (script.mode == Mode::Hang) {
            m_cv.wait_for(lock, std::chrono::seconds(60), [&] { return m_released; });
            if (!m_hasReleaseScript) return Drop();
            script = m_releaseScript;
        }
        testsupport::HttpReply reply;
        if (script.mode == Mode::DropAfterRequest) return Drop();
        reply.status = script.status;
        reply.pieces = script.chunks;
        reply.pauseBetweenMs = script.chunkDelayMs;
        reply.cutHalfway = script.mode == Mode::DropMidBody;
        return reply;
    }
    static testsupport::HttpReply Drop() {
        testsupport::HttpReply reply;
        reply.kind = testsupport::HttpReply::Kind::Drop;
        return reply;
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    Script m_script;
    Script m_releaseScript;
    bool m_hasReleaseScript = false;
    bool m_released = false;
    testsupport::LoopbackHttpServer m_server;  // last: it goes first, joining its connections
};
