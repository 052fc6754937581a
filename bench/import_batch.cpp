// Importing bank accounts: the preview (every row checked, nothing kept), the import (all rows
// in one transaction) and the preview of the same file again (every row unchanged), against
// the same accounts saved one by one, as the card saves them.
//   bench_import_batch N [SERVER_URL]       Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "IClsCommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <string_view>

namespace {

/// Accounts already in the archive the rows are imported into.
constexpr int kArchive = 10000;

QStringList accounts(const char* prefix, int n) {
    QStringList xmls;
    for (int i = 0; i < n; ++i)
        xmls << QStringLiteral("<Bank><cBCode>%1%2</cBCode><cBAccount>9555-%3%2</cBAccount>"
                               "<cCurrencyName>人民币</cCurrencyName><cBName>测速支行</cBName>"
                               "<cBankCode>102</cBankCode><iSignFlag>0</iSignFlag></Bank>")
                    .arg(QLatin1String(prefix))
                    .arg(i, 6, 10, QLatin1Char('0'))
                    .arg(QLatin1String(prefix == std::string_view("I") ? "1" : "2"));
    return xmls;
}

/// Milliseconds of one batch save, or -1 when it failed or did not do what was expected.
double batchMs(tarvo::IClsCommon& srv, const QStringList& xmls, bool store,
               tarvo::BatchVerdict::Kind expected) {
    QVector<tarvo::BatchVerdict> verdicts;
    QString error;
    QElapsedTimer t;
    t.start();
    const bool ok = srv.SaveBatch(xmls, QStringLiteral("bank"), store, verdicts, error);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    for (const auto& v : verdicts)
        if (v.kind != expected) {
            std::fprintf(stderr, "unexpected verdict: %s\n", qPrintable(v.reason));
            return -1;
        }
    if (!ok)
        std::fprintf(stderr, "batch failed: %s\n", qPrintable(error));
    return ok ? ms : -1;
}

double singleAddsMs(tarvo::IClsCommon& srv, const QStringList& xmls) {
    QElapsedTimer t;
    t.start();
    for (QString xml : xmls) {
        QString error;
        if (!srv.Add(xml, QStringLiteral("bank"), error)) {
            std::fprintf(stderr, "save refused: %s\n", qPrintable(error));
            return -1;
        }
    }
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 2000;
    const QString server = argc > 2 ? QString(argv[2]) : QString();
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), server, QStringLiteral("imports"), kArchive);
    if (!bench::logIn(dbName))
        return 1;
    auto srv = tarvo::createObject<tarvo::IClsCommon>("TarvoSrvTrans.IClsCommon");
    srv->Init(dbName);
    using K = tarvo::BatchVerdict::Kind;
    const QStringList rows = accounts("I", n);
    const double check = batchMs(*srv, rows, false, K::Added);
    const double store = batchMs(*srv, rows, true, K::Added);
    const double recheck = batchMs(*srv, rows, false, K::Unchanged);
    const double single = singleAddsMs(*srv, accounts("S", n));
    bench::report("import_check_ms", check);
    bench::report("import_store_ms", store);
    bench::report("import_recheck_ms", recheck);
    bench::report("single_adds_ms", single);
    return check > 0 && store > 0 && recheck > 0 && single > 0 ? 0 : 1;
}
