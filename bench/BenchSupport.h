#pragma once

#include <QString>
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

/// Resident memory now and at its peak, in MB.
double residentMegabytes();
double peakMegabytes();

/// Milliseconds a program takes to run to its end with its output thrown away.
double programMilliseconds(const QString& program, const QStringList& args);

double median(QVector<double> v);

/// One figure for bench/run.sh: "NAME VALUE".
void report(const char* name, double value);

} // namespace bench
