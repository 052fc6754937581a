#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

/// A TCP relay on 127.0.0.1 in front of a server, which can be told to break the connection
/// that next sends a COMMIT: right after passing it on (the server commits, the answer never
/// comes back) or instead of passing it on (the server never sees it). Connections made
/// afterwards are relayed as usual.
class CuttingProxy {
public:
    enum class Cut { None, AfterCommitSent, BeforeCommitSent };

    explicit CuttingProxy(int serverPort);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    int port() const { return m_port; }
    void cutNextCommit(Cut how) { m_cut = how; }
    /// Whether the armed cut has happened.
    bool cutDone() const { return m_cut == Cut::None; }

private:
    int m_serverPort;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<Cut> m_cut{Cut::None};
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_relays;

    void accept();
    void relay(int client);
};
