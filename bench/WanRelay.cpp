#include "WanRelay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <deque>
#include <list>
#include <regex>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
    Clock::time_point due;
    std::string bytes;
    std::size_t sent = 0;
};

/// One side's bytes on their way to the other, and whether that side has finished sending.
struct Direction {
    std::deque<Chunk> queue;
    bool ended = false;
    bool passedOn = false; // the end was passed on to the other side
};

struct Link {
    int client = -1;
    int server = -1;
    Direction up;   // client to server
    Direction down; // server to client
    enum class Last { None, Client, Server } last = Last::None;
    bool broken = false;
};

void nonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int connectTo(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(std::uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    nonBlocking(fd);
    return fd;
}

/// Reads what fd has into dir's queue, due after the delay; false when nothing came.
bool readInto(int fd, Direction& dir, Link& link, std::chrono::milliseconds delay) {
    char buffer[65536];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0)
        dir.ended = true;
    else if (n < 0 && errno != EAGAIN && errno != EINTR)
        link.broken = true;
    if (n <= 0)
        return false;
    dir.queue.push_back({Clock::now() + delay, std::string(buffer, std::size_t(n))});
    return true;
}

/// Writes the due chunks of dir to fd, as far as fd takes them.
void writeDue(int fd, Direction& dir, Link& link) {
    const auto now = Clock::now();
    while (!dir.queue.empty() && dir.queue.front().due <= now) {
        Chunk& c = dir.queue.front();
        const ssize_t n = write(fd, c.bytes.data() + c.sent, c.bytes.size() - c.sent);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR)
                link.broken = true;
            return;
        }
        c.sent += std::size_t(n);
        if (c.sent < c.bytes.size())
            return;
        dir.queue.pop_front();
    }
    if (dir.queue.empty() && dir.ended && !dir.passedOn) {
        shutdown(fd, SHUT_WR);
        dir.passedOn = true;
    }
}

bool dueNow(const Direction& dir) {
    return !dir.queue.empty() && dir.queue.front().due <= Clock::now();
}

} // namespace

WanRelay::WanRelay(int targetPort, int delayMs) : m_targetPort(targetPort), m_delayMs(delayMs) {
    m_listen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(m_listen, 64) != 0 ||
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0 ||
        pipe(m_wake) != 0)
        throw std::runtime_error("the relay cannot listen on loopback");
    m_port = ntohs(addr.sin_port);
    nonBlocking(m_listen);
    m_thread = std::thread([this] { run(); });
}

WanRelay::~WanRelay() {
    m_stop = true;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(m_wake[1], &byte, 1);
    m_thread.join();
    close(m_listen);
    close(m_wake[0]);
    close(m_wake[1]);
}

std::string WanRelay::through(const std::string& serverUrl) const {
    static const std::regex port(R"(:(\d+)(/|$))");
    return std::regex_replace(serverUrl, port, ":" + std::to_string(m_port) + "$2",
                              std::regex_constants::format_first_only);
}

WanRelay::Counts WanRelay::counts() const {
    std::lock_guard lock(m_mutex);
    return m_counts;
}

WanRelay::Counts WanRelay::reset() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_counts, {});
}

void WanRelay::run() {
    const std::chrono::milliseconds delay(m_delayMs);
    std::list<Link> links;
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        auto wakeAt = Clock::time_point::max();
        for (const Link& l : links) {
            for (const Direction* d : {&l.up, &l.down})
                if (!d->queue.empty())
                    wakeAt = std::min(wakeAt, d->queue.front().due);
            fds.push_back({l.client, short((l.up.ended ? 0 : POLLIN) | (dueNow(l.down) ? POLLOUT : 0)), 0});
            fds.push_back({l.server, short((l.down.ended ? 0 : POLLIN) | (dueNow(l.up) ? POLLOUT : 0)), 0});
        }
        int timeout = -1;
        if (wakeAt != Clock::time_point::max())
            timeout = int(std::max<std::int64_t>(
                0, std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now()).count()));
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            break;

        std::size_t i = 2;
        for (Link& l : links) {
            const pollfd& client = fds[i++];
            const pollfd& server = fds[i++];
            if ((client.revents & (POLLIN | POLLHUP | POLLERR)) && !l.up.ended &&
                readInto(l.client, l.up, l, delay) && l.last != Link::Last::Client) {
                l.last = Link::Last::Client;
                std::lock_guard lock(m_mutex);
                ++m_counts.roundTrips;
            }
            if ((server.revents & (POLLIN | POLLHUP | POLLERR)) && !l.down.ended &&
                readInto(l.server, l.down, l, delay))
                l.last = Link::Last::Server;
            writeDue(l.server, l.up, l);
            writeDue(l.client, l.down, l);
        }
        links.remove_if([](const Link& l) {
            const bool done = l.broken || (l.up.passedOn && l.down.passedOn);
            if (done) {
                close(l.client);
                close(l.server);
            }
            return done;
        });
        if (fds[0].revents & POLLIN) {
            for (int client; (client = accept(m_listen, nullptr, nullptr)) >= 0;) {
                const int server = connectTo(m_targetPort);
                if (server < 0) {
                    close(client);
                    continue;
                }
                nonBlocking(client);
                Link& link = links.emplace_back();
                link.client = client;
                link.server = server;
                std::lock_guard lock(m_mutex);
                ++m_counts.connections;
            }
        }
    }
    for (const Link& l : links) {
        close(l.client);
        close(l.server);
    }
}

} // namespace bench
