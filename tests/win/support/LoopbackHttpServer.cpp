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
    ::listen(m_listener, 16);
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

void LoopbackHttpServer::Serve(Socket client) {
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
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + (reply.status == 200 ? " OK" : " Error") +
                           "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                           std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n";
        ::send(client, head.data(), static_cast<int>(head.size()), 0);
        const int chunks = std::max(1, reply.chunks);
        const size_t step = reply.body.size() / static_cast<size_t>(chunks) + 1;
        for (size_t at = 0; at < reply.body.size() && !m_stopping; at += step) {
            const size_t n = std::min(step, reply.body.size() - at);
            ::send(client, reply.body.data() + at, static_cast<int>(n), 0);
            if (reply.pauseBetweenMs) ::Sleep(reply.pauseBetweenMs);
        }
    } else if (reply.kind == HttpReply::Kind::Hang) {
        // Accept and never answer: wait until the client gives up, the server
        // stops, or the stall's own limit runs out.
        const DWORD start = ::GetTickCount();
        while (!m_stopping && (reply.hangMs == 0 || ::GetTickCount() - start < reply.hangMs)) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(client, &set);
            timeval tv{0, 100000};
            int ready = ::select(0, &set, nullptr, nullptr, &tv);
            if (ready > 0 && ::recv(client, buffer, sizeof buffer, 0) <= 0) break;
        }
    }
    ::shutdown(client, SD_BOTH);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openSockets.erase(std::remove(m_openSockets.begin(), m_openSockets.end(), client), m_openSockets.end());
    ::closesocket(client);
}

}  // namespace testsupport
