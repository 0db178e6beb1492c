// A small HTTP server on 127.0.0.1 for tests: the weather page, errors,
// redirects, dropped connections, servers that accept and never answer and
// servers that trickle. The program
// reaches it through the http_proxy variable (Wine's WinINet honours it), so
// requests arrive as "GET http://HOST/PATH HTTP/1.1".
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpReply {
    enum class Kind { Respond, Drop, Hang, TrickleHeaders };
    Kind kind = Kind::Respond;
    int status = 200;
    std::string headers;              // more header lines, each ending in CR LF ("Location: ...")
    std::vector<std::string> pieces;  // the body, one send each
    unsigned pauseBetweenMs = 0;      // until the client goes
    // Hang, TrickleHeaders (a header line a second): give up after this long
    // (0: until the client or the server ends)
    unsigned hangMs = 0;
};

class LoopbackHttpServer {
public:
    using Handler = std::function<HttpReply(const std::string& request)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "http://127.0.0.1:PORT", for http_proxy.
    std::string ProxyUrl() const;
    // Every request received so far (request line and headers).
    std::vector<std::string> Requests() const;
    int RequestCount() const;
    // Connections accepted and not yet closed.
    int OpenConnections() const;

private:
    void AcceptLoop();
    using Socket = std::uintptr_t;  // a Winsock SOCKET
    void Serve(Socket client);

    Handler m_handler;
    Socket m_listener = ~Socket(0);
    unsigned short m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<std::thread> m_clients;
    std::vector<Socket> m_openSockets;
};

}  // namespace testsupport
