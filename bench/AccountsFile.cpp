#include "AccountsFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace bench {

const char* const kAccountColumns = "cBCode,cBAccount,cAccName,dOpenAccDate,cCurrencyName,cBName,"
                                    "cBankCode,cProvinceName,cCountyName,cOpenAccAddr,iSignFlag";

QString accountLine(int i) {
    static const char* const banks[] = {"102", "103", "104", "105", "301", "308"};
    return QStringLiteral("N%1,95550%2,导入公司账户%3,2021-03-%4,人民币,第%5支行,%6,广东省,"
                          "深圳市,深南大道%3号,%7\n")
        .arg(i, 7, 10, QLatin1Char('0'))
        .arg(i, 12, 10, QLatin1Char('0'))
        .arg(i)
        .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
        .arg(i % 500)
        .arg(QLatin1String(banks[i % 6]))
        .arg(i % 2);
}

QString writeAccountsFile(const QString& dir, int n) {
    QFile f(dir + QStringLiteral("/accounts.csv"));
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(QByteArray(kAccountColumns) + '\n');
    for (int i = 1; i <= n; ++i)
        f.write(accountLine(i).toUtf8());
    return f.fileName();
}

double shellImportMs(const QString& dbName, const QString& file) {
    const QString copy = dbName + QStringLiteral(".copy");
    QFile::remove(copy);
    if (!QFile::copy(dbName, copy))
        return -1;
    const QString columns = QString::fromLatin1(kAccountColumns);
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral("sqlite3"),
            {QStringLiteral("-bail"), copy, QStringLiteral(".import --csv %1 staging").arg(file),
             QStringLiteral("INSERT INTO bank (%1) SELECT %1 FROM staging").arg(columns)});
    p.waitForFinished(-1);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    QFile::remove(copy);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? ms : -1;
}

} // namespace bench
