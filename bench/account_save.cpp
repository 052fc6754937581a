// Saving bank accounts into a long archive: every add looks the number up among all the
// accounts, blanks and hyphens aside, and must not slow down as the archive grows.
//   bench_account_save N [SERVER_URL]       Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "IClsCommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kSaves = 400;

/// Milliseconds per add of a new account through the save service; the last add, whose
/// number is an existing account's written with blanks, must be refused.
double saveMs(const QString& dbName) {
    auto srv = tarvo::createObject<tarvo::IClsCommon>("TarvoSrvTrans.IClsCommon");
    srv->Init(dbName);
    const auto xml = [](const QString& code, const QString& number) {
        return QStringLiteral("<Bank><cBCode>%1</cBCode><cBAccount>%2</cBAccount><cCurrencyName>"
                              "人民币</cCurrencyName><cBName>测速支行</cBName><cBankCode>102"
                              "</cBankCode></Bank>")
            .arg(code, number);
    };
    QString error;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kSaves; ++i) {
        QString add = xml(QStringLiteral("N%1").arg(i, 6, 10, QLatin1Char('0')),
                          QStringLiteral("9555-%1").arg(i, 12, 10, QLatin1Char('0')));
        if (!srv->Add(add, QStringLiteral("bank"), error)) {
            std::fprintf(stderr, "save refused: %s\n", qPrintable(error));
            return -1;
        }
    }
    const double ms = double(t.nsecsElapsed()) / 1e6 / kSaves;
    QString twice = xml(QStringLiteral("TWICE"), QStringLiteral("6222 0000 0000 0000 1"));
    return srv->Add(twice, QStringLiteral("bank"), error) ? -1 : ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    const QString server = argc > 2 ? QString(argv[2]) : QString();
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), server, QStringLiteral("accounts"), n);
    if (!bench::logIn(dbName))
        return 1;
    const double ms = saveMs(dbName);
    bench::report("save_account_ms", ms);
    return ms > 0 ? 0 : 1;
}
