#pragma once

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

namespace tarvo::suite {
class Login;
}

/// What the benchmarks share: test data, memory figures, the database's own tools as the
/// baseline, and the figures' output.
namespace bench {

/// An accounting database for a benchmark: a new SQLite file in dir, or, when serverUrl is
/// given, a new database of that name on the server (dropped first if it exists).
QString makeDatabase(const QString& dir, const QString& serverUrl, const QString& name);

/// n generated bank accounts, spread over the seeded banks and ledger accounts so that both
/// joins of the list find rows.
void generateAccounts(const QString& dbName, int n);
/// makeDatabase holding n generated accounts: what most benchmarks start from.
QString accountsDatabase(const QString& dir, const QString& serverUrl, const QString& name, int n);
/// n generated banks in the bank archive.
void generateBanks(const QString& dbName, int n);

/// Registers the suite's and the component's classes and logs the demo user in; null (with the
/// reason on stderr) when that fails.
std::shared_ptr<tarvo::suite::Login> logIn(const QString& dbName);

/// What the window benchmarks' main() starts from: an offscreen application, the command
/// line's figures, a folder for the run's files and its database of generated accounts.
class WindowBench {
public:
    /// How a benchmark's command line gives its figures.
    enum class Arguments {
        ServerFirst, ///< SERVER_URL [N] [DELAY_MS]: a server is required
        RowsFirst,   ///< [N] [SERVER_URL]: without a server, a SQLite file
    };

    /// usage is the line shown when a required argument is missing.
    WindowBench(int& argc, char** argv, Arguments layout, int defaultRows, const char* usage);

    /// False, after the usage went to stderr, when the command line lacks a required argument.
    bool ok() const { return m_ok; }
    const QString& server() const { return m_server; }
    int rows() const { return m_rows; }
    /// Each direction's delay of a relay standing for the link (25 ms unless given).
    int delayMs() const { return m_delayMs; }
    const QTemporaryDir& dir() const { return m_dir; }
    /// accountsDatabase of rows() accounts named name, on the server or in dir().
    QString accountsDatabase(const QString& name) const;

private:
    QApplication m_app;
    QTemporaryDir m_dir;
    QString m_server;
    int m_rows = 0;
    int m_delayMs = 25;
    bool m_ok = true;
};

/// The statements the list of bank accounts runs for the demo user's column set-up, as the list
/// window and a script's export run them; empty when the set-up cannot be read.
struct AccountList {
    QString query;   ///< the rows, in the set-up's order
    QString columns; ///< the same columns without a row
};
AccountList accountList(const QString& dbName);

/// Resident memory now and at its peak, in MB.
double residentMegabytes();
double peakMegabytes();

/// Processor time of the calling thread, in ms: what a busy machine disturbs less than the wall.
double threadCpuMs();

/// Milliseconds a program takes to run to its end with its output thrown away.
double programMilliseconds(const QString& program, const QStringList& args);

double median(QVector<double> v);

/// One figure for bench/run.sh: "NAME VALUE".
void report(const char* name, double value);

} // namespace bench
