#pragma once

#include <atomic>
#include <utility>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace bench {

/// A TCP relay on loopback that stands for a slow link to a server: every byte waits the given
/// delay in each direction. It counts the connections made through it and their round trips: a
/// round trip starts whenever a client sends after the server last spoke on that connection (a
/// request burst and its answer), so a session that pipelines costs one where one that waits
/// for each answer costs many.
class WanRelay {
public:
    /// Listens on a free loopback port and relays to targetPort on 127.0.0.1.
    WanRelay(int targetPort, int delayMs);
    ~WanRelay();
    WanRelay(const WanRelay&) = delete;
    WanRelay& operator=(const WanRelay&) = delete;

    int port() const { return m_port; }
    /// A PostgreSQL URL through the relay for one through the server: its port replaced.
    std::string through(const std::string& serverUrl) const;

    struct Counts {
        std::int64_t connections = 0;
        std::int64_t roundTrips = 0;
    };
    /// What went through since the start or the last reset.
    Counts counts() const;
    /// What went through since the last reset, and a fresh count from now.
    Counts reset();

private:
    int m_listen = -1;
    int m_port = 0;
    int m_targetPort;
    int m_delayMs;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    Counts m_counts;
    std::thread m_thread;

    void run();
};

} // namespace bench
