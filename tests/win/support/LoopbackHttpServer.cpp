#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/LoopbackHttpServer.h"

#include <algorithm>

namespace testsupport {

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : m_handler(std::move(handler)) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listener, SOMAXCONN);  // eighteen boardchecks may connect at once
    int len = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stopping = true;
    ::closesocket(m_listener);
    if (m_acceptThread.joinable()) m_acceptThread.join();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (Socket s : m_openSockets) ::shutdown(s, SD_BOTH);
    }
    for (std::thread& t : m_clients) {
        if (t.joinable()) t.join();
    }
    ::WSACleanup();
}

std::string LoopbackHttpServer::ProxyUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int LoopbackHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_requests.size());
}

int LoopbackHttpServer::OpenConnections() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_openSockets.size());
}

void LoopbackHttpServer::AcceptLoop() {
    while (!m_stopping) {
        SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) break;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openSockets.push_back(client);
        m_clients.emplace_back([this, client] { Serve(client); });
    }
}

namespace {
bool SendAll(SOCKET s, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int n = ::send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}
// Waits up to ms: false as soon as the client has closed its end.
bool ClientStays(SOCKET s, unsigned ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    char buffer[2048];
    return !(::select(0, &set, nullptr, nullptr, &tv) > 0 && ::recv(s, buffer, sizeof buffer, 0) <= 0);
}
}  // namespace

void LoopbackHttpServer::Serve(Socket client) {
    BOOL noDelay = TRUE;  // each piece leaves at once, as its own read at the client
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        int n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }
    HttpReply reply = m_handler(request);
    if (reply.kind == HttpReply::Kind::Respond) {
        size_t length = 0;
        for (const std::string& piece : reply.pieces) length += piece.size();
        bool open = SendAll(client, "HTTP/1.1 " + std::to_string(reply.status) + (reply.status == 200 ? " OK" : " Error") +
                                        "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                        std::to_string(length) + "\r\nConnection: close\r\n" + reply.headers + "\r\n");
        for (size_t i = 0; i < reply.pieces.size() && open && !m_stopping; ++i) {
            if (i > 0 && reply.pauseBetweenMs) open = ClientStays(client, reply.pauseBetweenMs);
            open = open && SendAll(client, reply.pieces[i]);
        }
    } else if (reply.kind == HttpReply::Kind::Hang || reply.kind == HttpReply::Kind::TrickleHeaders) {
        // Accept and never answer, or never finish the headers: wait until the
        // client gives up, the server stops, or the stall's own limit runs out.
        const bool trickle = reply.kind == HttpReply::Kind::TrickleHeaders;
        const DWORD start = ::GetTickCount();
        bool open = !trickle || SendAll(client, "HTTP/1.1 200 OK\r\n");
        for (int i = 0; open && !m_stopping && (reply.hangMs == 0 || ::GetTickCount() - start < reply.hangMs); ++i) {
            open = ClientStays(client, 100) && (!trickle || i % 10 != 9 || SendAll(client, "X-Wait: 1\r\n"));
        }
    }
    ::shutdown(client, SD_BOTH);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openSockets.erase(std::remove(m_openSockets.begin(), m_openSockets.end(), client), m_openSockets.end());
    ::closesocket(client);
}

}  // namespace testsupport
