// A second process for tests that need one, driven through its arguments and its standard
// input and output (see HelperProcess):
//   open DBNAME                                 open (creating and seeding when new), print
//                                               the number of banks
//   hold-lock DBNAME USER ARCHIVE KIND PATIENCE_MS
//                                               ask for a lock until granted or out of
//                                               patience; print "granted" and hold it until
//                                               the input closes, or print "refused" with the
//                                               holder's user id, name and host (tab-separated)
//   save-loop DBNAME ROUNDS                     modify the alternating record again and again,
//                                               each save turning it into the other version;
//                                               print "saving" after the first
#include "AlternatingRecord.h"
#include "ClsCommon.h"
#include "FunctionLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace tarvo::suite;

namespace {

// However the test goes, a helper never outlives it by much.
constexpr int kMaxLifeMs = 60000;

void say(const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int openDatabase(const QString& db) {
    auto account = AccountDatabase::open(db);
    say(QString::number(
        account->sql().query(QStringLiteral("SELECT COUNT(*) FROM aa_bank")).rows[0][0].toInt()));
    return 0;
}

int holdLock(QCoreApplication& app, const QStringList& a) {
    const QString user = a[1];
    FunctionLock lock(AccountDatabase::open(a[0]),
                      LockHolder::thisProcess(user, QStringLiteral("用户") + user));
    const auto kind = LockKind(a[3].toInt());
    const int patienceMs = a[4].toInt();
    QElapsedTimer waited;
    waited.start();
    LockHolder heldBy;
    while (!lock.acquire(a[2], kind, heldBy)) {
        if (waited.elapsed() >= patienceMs) {
            say(QStringLiteral("refused\t%1\t%2\t%3")
                    .arg(heldBy.userId, heldBy.userName, heldBy.host));
            return 3;
        }
        QThread::msleep(50);
    }
    say(QStringLiteral("granted"));
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buf[256];
        if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
            app.quit();
    });
    QTimer::singleShot(kMaxLifeMs, &app, &QCoreApplication::quit);
    return app.exec();
}

int saveLoop(const QString& db, int rounds) {
    ClsCommon srv;
    srv.Init(db);
    if (!srv.Status()) {
        std::fprintf(stderr, "%s\n", srv.lastError().toUtf8().constData());
        return 1;
    }
    QString sql =
        QStringLiteral("select cBankName from aa_bank where cBankCode='%1'").arg(alternating::kKey);
    const auto rs = srv.OpenX(sql);
    bool nextIsA = !rs || rs->Eof() || rs->Value(0).toString() != alternating::kA.bankName;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds && clock.elapsed() < kMaxLifeMs; ++i) {
        QString xml = (nextIsA ? alternating::kA : alternating::kB).xml(), err;
        if (!srv.Modify(xml, QStringLiteral("aa_bank"), err)) {
            std::fprintf(stderr, "%s\n", err.toUtf8().constData());
            return 1;
        }
        nextIsA = !nextIsA;
        if (i == 0)
            say(QStringLiteral("saving"));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    try {
        if (command == u"open" && args.size() == 2)
            return openDatabase(args[1]);
        if (command == u"hold-lock" && args.size() == 6)
            return holdLock(app, args.mid(1));
        if (command == u"save-loop" && args.size() == 3)
            return saveLoop(args[1], args[2].toInt());
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
