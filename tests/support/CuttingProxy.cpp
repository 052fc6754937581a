#include "CuttingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string_view>

namespace {

/// How a simple-query COMMIT travels: the statement's text with its closing zero byte.
constexpr std::string_view kCommit{"COMMIT\0", 7};
// Time for the server to finish a commit it received before its connection goes.
constexpr auto kCommitTime = std::chrono::milliseconds(500);

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool sendAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

} // namespace

CuttingProxy::CuttingProxy(int serverPort) : m_serverPort(serverPort) {
    // Close-on-exec throughout: a server the test restarts from this process must not inherit
    // the relay's ends, or a cut connection would stay open in it.
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &size) != 0)
        return;
    m_port = ntohs(a.sin_port);
    m_acceptor = std::thread([this] { accept(); });
}

CuttingProxy::~CuttingProxy() {
    m_stopping = true;
    if (m_listener >= 0)
        ::shutdown(m_listener, SHUT_RDWR);
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread& t : m_relays)
        t.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

void CuttingProxy::accept() {
    while (!m_stopping) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const std::lock_guard lock(m_mutex);
        m_relays.emplace_back([this, client] { relay(client); });
    }
}

void CuttingProxy::relay(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = loopback(m_serverPort);
    if (server < 0 || ::connect(server, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(client);
        if (server >= 0)
            ::close(server);
        return;
    }
    char buffer[65536];
    bool open = true;
    while (open && !m_stopping) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 100) <= 0)
            continue;
        for (int i = 0; i < 2 && open; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(p[i].fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                open = false;
                break;
            }
            const Cut cut = m_cut;
            const bool commit =
                i == 0 && cut != Cut::None &&
                std::string_view(buffer, size_t(n)).find(kCommit) != std::string_view::npos;
            if (commit && cut == Cut::AfterCommitSent) {
                sendAll(server, buffer, n);
                std::this_thread::sleep_for(kCommitTime);
            }
            if (commit) {
                m_cut = Cut::None;
                open = false;
                break;
            }
            open = sendAll(p[1 - i].fd, buffer, n);
        }
    }
    ::close(client);
    ::close(server);
}
