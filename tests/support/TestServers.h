#pragma once

#include <QString>

/// PostgreSQL servers of one test, started on loopback by scripts/pg-test-servers.sh and
/// removed with this object: a primary, and on request a streaming standby of it. The test
/// restarts, stops and promotes them as a server's administrator would.
class TestServers {
public:
    /// Starts the primary; check started() before use.
    TestServers();
    ~TestServers();
    TestServers(const TestServers&) = delete;
    TestServers& operator=(const TestServers&) = delete;

    bool started() const { return m_primaryPort > 0; }
    /// Why the last step failed: the script's error output.
    const QString& error() const { return m_error; }
    int primaryPort() const { return m_primaryPort; }
    int standbyPort() const { return m_standbyPort; }
    /// The primary's "postgres" database, or both servers with the read-write one chosen.
    QString primaryUrl() const;
    QString bothUrl() const;

    /// A synchronous standby confirms each commit before the primary answers it.
    bool startStandby(bool synchronous = false);
    /// "restart", "stop" or "promote" the "primary" or the "standby".
    bool act(const char* action, const char* server);

private:
    QString m_folder;
    int m_primaryPort = 0;
    int m_standbyPort = 0;
    QString m_error;
    /// Runs the script; false on failure. out gets what it printed.
    bool run(const QStringList& args, QString* out = nullptr);
};
