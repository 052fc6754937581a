// What a clerk 50 ms from the server waits for in the card: the card opened from the list, Next,
// a pick list (F2) opened and opened again, and a save, each counted in round trips through a
// relay that delays each direction by 25 ms; and the longest time the window did not answer.
// The card is driven as a clerk drives it: a step ends when its record is shown. With BRANCHES,
// the database holds a generated branch directory of that many branches, and every account an
// interbank code the directory lists, which the card names beside the code.
//   bench_wan_card SERVER_URL [N] [DELAY_MS] [BRANCHES]       Prints "NAME VALUE" lines.
#include "AccountDatabase.h"
#include "BenchSupport.h"
#include "BranchImport.h"
#include "BranchesFile.h"
#include "ClassRegistry.h"
#include "ClsCommon.h"
#include "FrmMain.h"
#include "FrmZAM.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "StallMeter.h"
#include "SuiteRegistration.h"
#include "WanRelay.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

/// The first Next, and one more: the second shows what the first left in place for it.
constexpr int kNexts = 2;

/// Runs the card's actions one after another, each from a turn of the event loop of its own as a
/// clerk's key would, and reports what each cost.
class Driver : public QObject {
public:
    Driver(bench::WanRelay& relay, bench::StallMeter& stalls) : m_relay(relay), m_stalls(stalls) {
        connect(&m_poll, &QTimer::timeout, this, &Driver::poll);
        m_poll.start(10);
    }

    bool done = false;

private:
    bench::WanRelay& m_relay;
    bench::StallMeter& m_stalls;
    QTimer m_poll;
    tarvo::FrmMain* m_list = nullptr;
    tarvo::FrmZAM* m_card = nullptr;
    QElapsedTimer m_action;
    double m_stallMax = 0;

    void poll() {
        if (!m_list) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* list = qobject_cast<tarvo::FrmMain*>(w);
                    list && list->isLoaded() && list->grid()->Rows() > 1)
                    m_list = list;
            if (m_list)
                QTimer::singleShot(0, this, [this] { openCard(); });
            return;
        }
        if (m_card)
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* card = qobject_cast<tarvo::FrmZAM*>(w); card && card->isVisible())
                m_card = card;
        if (!m_card)
            return;
        m_poll.stop();
        whenShown([this] {
            ended("wan_card_open");
            QTimer::singleShot(0, this, [this] { walk(0); });
        });
    }

    /// Runs then once the card shows its record: at once when it is in already.
    void whenShown(std::function<void()> then) {
        if (!m_card->reading()) {
            then();
            return;
        }
        auto* once = new QObject(this);
        connect(m_card, &tarvo::FrmZAM::recordShown, once, [once, then = std::move(then)] {
            once->deleteLater();
            then();
        });
    }

    void begin() {
        m_relay.reset();
        m_stalls.reset();
        m_action.start();
    }
    void ended(const QByteArray& name) {
        const auto counts = m_relay.counts();
        const double stall = m_stalls.longest();
        m_stallMax = std::max(m_stallMax, stall);
        bench::report((name + "_roundtrips").constData(), double(counts.roundTrips));
        bench::report((name + "_connections").constData(), double(counts.connections));
        bench::report((name + "_ms").constData(), bench::StallMeter::ms(m_action));
        bench::report((name + "_stall_ms").constData(), stall);
    }

    void openCard() {
        begin();
        // Returns when the card closes: the rest runs from the card's own event loop.
        m_list->DoCommand(QStringLiteral("Modify"));
        m_list->close();
    }

    /// The toolbar's Next, as a click gives it.
    void walk(int step) {
        if (step == kNexts) {
            QTimer::singleShot(0, this,
                               [this] { lookup("wan_lookup", [this] { lookupAgain(); }); });
            return;
        }
        auto* next = m_card->findChild<QAction*>(QStringLiteral("Next"));
        begin();
        next->trigger();
        whenShown([this, step] {
            ended(step ? "wan_card_next_again" : "wan_card_next");
            QTimer::singleShot(0, this, [this, step] { walk(step + 1); });
        });
    }

    void lookupAgain() {
        QTimer::singleShot(0, this, [this] { lookup("wan_lookup_again", [this] { save(); }); });
    }

    /// F2 in the currency field; the pick list is cancelled once it shows.
    void lookup(const QByteArray& name, std::function<void()> then) {
        auto* field = m_card->findChild<QLineEdit*>(QStringLiteral("EdtcCurrencyName"));
        if (!field) {
            std::fprintf(stderr, "the card has no currency field\n");
            finish();
            return;
        }
        auto* watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [this, watch, name] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog == static_cast<QWidget*>(m_card) || !dialog->isVisible())
                return;
            watch->deleteLater();
            watch->stop();
            ended(name);
            dialog->reject();
        });
        watch->start(1);
        field->setFocus();
        begin();
        QTest::keyClick(field, Qt::Key_F2);
        QTimer::singleShot(0, this, std::move(then));
    }

    void save() {
        auto* name = m_card->findChild<QLineEdit*>(QStringLiteral("EdtcAccName"));
        if (!name) {
            std::fprintf(stderr, "the card has no account name field\n");
            finish();
            return;
        }
        name->setText(name->text() + QStringLiteral("改"));
        begin();
        bool result = false;
        m_card->Operating(QStringLiteral("SaveRs"), result);
        ended("wan_save");
        if (!result)
            std::fprintf(stderr, "the save was refused\n");
        bench::report("wan_stall_max", m_stallMax);
        done = result;
        finish();
    }

    void finish() { m_card->close(); }
};

/// Imports a generated directory of n branches as a clerk would, and gives the accounts codes
/// it lists, each the branch of its own number; false, having said why, when that fails.
bool seedDirectory(const QString& dbName, const QString& dir, int n) {
    tarvo::suite::registerSuiteClasses();
    tarvo::ClsCommonPtr db =
        tarvo::createObject<tarvo::IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
    db->Init(dbName);
    tarvo::BranchImport import;
    QString error;
    const QString file = bench::writeBranchesFile(dir, n);
    if (file.isEmpty() || !import.read(file, error) || !import.check(db, error) ||
        !import.store(db, error)) {
        std::fprintf(stderr, "directory: %s\n", qPrintable(error));
        return false;
    }
    auto accounts = tarvo::suite::AccountDatabase::open(dbName);
    auto& sql = accounts->sql();
    const auto rows = sql.query(QStringLiteral("SELECT cBCode FROM bank ORDER BY cBCode")).rows;
    tarvo::suite::Transaction tx(sql);
    for (qsizetype i = 0; i < rows.size(); ++i)
        sql.execLater(QStringLiteral("UPDATE bank SET cUnionBankNo = ? WHERE cBCode = ?"),
                      {bench::branchLine(int(i % n)).section(u',', 0, 0), rows[i][0]});
    tx.commit();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    bench::WindowBench run(argc, argv, bench::WindowBench::Arguments::ServerFirst, 10000,
                           "bench_wan_card SERVER_URL [N] [DELAY_MS] [BRANCHES]");
    if (!run.ok())
        return 2;
    const QString dbName = run.accountsDatabase(QStringLiteral("tarvo_wan_card"));
    const int branches = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 0;
    if (branches > 0 && !seedDirectory(dbName, run.dir().path(), branches))
        return 1;
    bench::WanRelay relay(QUrl(dbName).port(), run.delayMs());
    const QString remote = QString::fromStdString(relay.through(dbName.toStdString()));

    auto login = bench::logIn(remote);
    if (!login)
        return 1;
    bench::StallMeter stalls;
    Driver driver(relay, stalls);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (!driver.done) {
        std::fprintf(stderr, "the card's actions did not all run\n");
        return 1;
    }
    return 0;
}
