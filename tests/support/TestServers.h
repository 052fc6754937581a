#pragma once

#include <QString>
#include <gtest/gtest.h>

#include <memory>

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

    /// The servers of a test when the tests run on a server (TARVO_TEST_PG is set), started;
    /// none on a database file.
    static std::unique_ptr<TestServers> whenOnAServer();
    /// Why a test of a server's outage is skipped on a database file.
    static constexpr const char* kNoServerToLose = "a database file has no server to lose";

    /// Each step fails with the script's error output.
    ::testing::AssertionResult started() const;
    /// Why the last step failed: the script's error output.
    const QString& error() const { return m_error; }
    int primaryPort() const { return m_primaryPort; }
    int standbyPort() const { return m_standbyPort; }
    /// The primary's "postgres" database, or both servers with the read-write one chosen.
    QString primaryUrl() const;
    QString bothUrl() const;

    /// A synchronous standby confirms each commit before the primary answers it.
    ::testing::AssertionResult startStandby(bool synchronous = false);
    /// "restart", "stop" or "promote" the "primary" or the "standby".
    ::testing::AssertionResult act(const char* action, const char* server);

private:
    QString m_folder;
    int m_primaryPort = 0;
    int m_standbyPort = 0;
    QString m_error;
    /// Runs the script; false on failure. out gets what it printed.
    bool run(const QStringList& args, QString* out = nullptr);
    /// The outcome of a step, with the script's error output when it failed.
    ::testing::AssertionResult outcome(bool done) const;
};
