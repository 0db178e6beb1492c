// A small HTTP server on 127.0.0.1 for the weather download tests. WinINet
// reaches it as the proxy named by http_proxy, so the program asks for the
// real weather address unchanged and the request arrives here. Each
// connection is answered by the current script: a status and a body sent in
// chunks, a dropped connection, or silence until released or stopped.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    enum class Mode { Answer, DropAfterRequest, DropMidBody, Hang };
    struct Script {
        Mode mode = Mode::Answer;
        int status = 200;
        std::vector<std::string> chunks;  // body pieces, sent one by one
        DWORD chunkDelayMs = 0;
        std::string reason() const { return status == 200 ? "OK" : status == 404 ? "Not Found" : "Error"; }
    };

    LoopbackHttpServer() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        ::listen(m_listen, 8);
        int len = sizeof(addr);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { AcceptLoop(); });
    }

    ~LoopbackHttpServer() {
        m_stopping = true;
        Release();
        // Wake the accept loop with one last connection of our own.
        SOCKET wake = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<u_short>(m_port));
        ::connect(wake, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        ::closesocket(wake);
        m_thread.join();
        ::closesocket(m_listen);
        for (std::thread& t : m_clients) t.join();
        ::WSACleanup();
    }

    int Port() const { return m_port; }
    std::string ProxyAddress() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    void SetScript(const Script& script) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_script = script;
        m_released = false;
    }
    // Lets every hanging connection answer with `script` instead.
    void Release(const Script* script = nullptr) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (script) m_releaseScript = *script;
        m_hasReleaseScript = script != nullptr;
        m_released = true;
        m_cv.notify_all();
    }
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    // Waits until `count` requests have arrived (at most ms).
    bool WaitForRequests(size_t count, DWORD ms) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_requests.size() >= count; });
    }

private:
    void AcceptLoop() {
        for (;;) {
            SOCKET client = ::accept(m_listen, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;  // closed by the destructor
            if (m_stopping) {
                ::closesocket(client);
                return;
            }
            m_clients.emplace_back([this, client] { Serve(client); });
        }
    }

    void Serve(SOCKET client) {
        BOOL noDelay = TRUE;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            int n = ::recv(client, buffer, sizeof(buffer), 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<size_t>(n));
        }
        Script script;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
            script = m_script;
            m_cv.notify_all();
        }
        if (script.mode == Mode::Hang) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait_for(lock, std::chrono::seconds(60), [&] { return m_released; });
            if (!m_hasReleaseScript || m_stopping) {
                lock.unlock();
                ::closesocket(client);
                return;
            }
            script = m_releaseScript;
        }
        if (script.mode != Mode::DropAfterRequest) Answer(client, script);
        ::shutdown(client, SD_BOTH);
        ::closesocket(client);
    }

    void Answer(SOCKET client, const Script& script) {
        std::string head = "HTTP/1.1 " + std::to_string(script.status) + " " + script.reason() +
                           "\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n\r\n";
        SendAll(client, head);
        size_t count = script.chunks.size();
        if (script.mode == Mode::DropMidBody) count = (count + 1) / 2;
        for (size_t i = 0; i < count && !m_stopping; ++i) {
            if (i > 0 && script.chunkDelayMs) ::Sleep(script.chunkDelayMs);
            SendAll(client, script.chunks[i]);
        }
    }

    static void SendAll(SOCKET s, const std::string& data) {
        size_t sent = 0;
        while (sent < data.size()) {
            int n = ::send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::thread m_thread;
    std::vector<std::thread> m_clients;  // touched only by the accept thread, then the destructor
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    Script m_script;
    Script m_releaseScript;
    bool m_hasReleaseScript = false;
    bool m_released = false;
    std::atomic<bool> m_stopping{false};
    std::vector<std::string> m_requests;
};
