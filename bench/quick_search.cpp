// What a clerk waits for when narrowing a long list of bank accounts with the search box: from
// each key typed into the box to the list painted again, started from the event loop; the
// box's first use after a load, until each row's search key is worked out (keys are typed
// meanwhile); the longest the event loop went without a turn from the first use to the last
// key; and, as the baseline, a plain refresh of the same list to its paint (left out from a
// million rows on, where the figures stand alone). Every account gets a Chinese name of its
// own, so that no name's pinyin is spelled for another: the costliest case.
//   bench_quick_search N
// With "click", instead: the clerk's first click into the box of the shown list, after the
// load and again after each of a few refreshes (each forgets the index), timed from the mouse
// press to the event loop's next turn, in wall and in the window thread's processor time; and
// the longest the loop then went without a turn until the index was read whole.
//   bench_quick_search N click [ROUNDS]
// Prints "NAME VALUE" lines.
#include "AccountDatabase.h"
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "StallMeter.h"
#include "StatusBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

/// Plain refreshes of a list shorter than a million, the baseline.
constexpr int kRefreshes = 3;
constexpr int kMillion = 1000000;
/// Milliseconds between the keys a clerk types while the index is still being read, between
/// the timed keys (each in a turn of the event loop of its own, as a window system delivers
/// them), and between two looks at the event loop.
constexpr int kKeyGapMs = 80;
constexpr int kTimedKeyGapMs = 1;
constexpr int kTurnWatchMs = 5;
/// Milliseconds between the list shown whole and the click into its search box.
constexpr int kLookMs = 1000;

/// Typed while the index is still being read: a letter, another, both taken back.
const char* const kTypedEarly[] = {"g", "s", "", ""};

/// The keys typed, one after the other: initials, account digits, whole syllables, each taken
/// back again (a shorter text widens the list, the costlier way).
const char* const kTyped[] = {"gsyh", "622200000", "gongshang"};

/// Renames the n generated accounts: 示例 and three characters that tell the row, 公司户.
void giveChineseNames(const QString& dbName, int n) {
    const QString pool = QStringLiteral("安宝北昌诚达东丰福富广国海和恒华惠吉嘉建江金锦京康乐利"
                                        "联隆茂美民明南宁鹏平浦齐启庆荣瑞润森山上盛顺泰天通同万伟"
                                        "文祥新鑫信兴旭阳业益永宇元源远悦云泽振正中众洲珠卓资");
    const int k = int(pool.size());
    auto db = tarvo::suite::AccountDatabase::open(dbName);
    auto& sql = db->sql();
    tarvo::suite::Transaction tx(sql);
    for (int i = 1; i <= n; ++i)
        sql.exec("UPDATE bank SET cAccName = ? WHERE cBCode = ?",
                 {QStringLiteral("示例") + pool[i % k] + pool[i / k % k] + pool[i / k / k % k] +
                      QStringLiteral("公司户"),
                  QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0'))});
    tx.commit();
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

/// The list window once it shows all of its rows, or null.
tarvo::FrmMain* shownList(int rows) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* list = qobject_cast<tarvo::FrmMain*>(w);
        if (list && list->isLoaded() && !list->isReading() && list->grid()->Rows() == rows + 1)
            return list;
    }
    return nullptr;
}

class Driver : public QObject {
public:
    explicit Driver(int rows) : m_rows(rows) {
        connect(&m_poll, &QTimer::timeout, this, [this] { findList(); });
        m_poll.start(20);
    }

    QVector<double> keys;
    QVector<double> refreshes;
    double longestGap = 0;
    bool done = false;

private:
    int m_rows;
    QTimer m_poll;
    tarvo::FrmMain* m_list = nullptr;
    QLineEdit* m_box = nullptr;
    QStringList m_pending;
    tarvo::suite::StatusBar* m_status = nullptr;
    QTimer m_turns;
    QElapsedTimer m_sinceTurn;
    QElapsedTimer m_firstUse;
    QElapsedTimer m_refresh;
    /// The index is still being read.
    bool m_building = false;
    /// The keys whose times are the figures are being typed.
    bool m_timed = false;

    void findList() {
        m_list = shownList(m_rows);
        if (!m_list)
            return;
        m_poll.stop();
        m_box = m_list->findChild<QLineEdit*>(QStringLiteral("txtQuickSearch"));
        QTimer::singleShot(0, this, [this] { refreshOnce(); });
    }

    void refreshOnce() {
        if (m_rows >= kMillion) {
            firstUse();
            return;
        }
        m_refresh.start();
        connect(m_list, &tarvo::FrmMain::rowsShown, this, &Driver::refreshed,
                Qt::SingleShotConnection);
        m_list->DataRefresh(QString());
    }

    void refreshed() {
        m_list->repaint();
        refreshes << msSince(m_refresh);
        QTimer::singleShot(0, this, [this] {
            if (refreshes.size() < kRefreshes)
                refreshOnce();
            else
                firstUse();
        });
    }

    void firstUse() {
        m_status = m_list->findChild<tarvo::suite::StatusBar*>(QStringLiteral("Stb"));
        // A timer due every few milliseconds fires at each turn of the event loop that comes
        // late: the gap between two firings is the turn's length (glib's dispatcher tells no
        // turn's start of its own).
        connect(&m_turns, &QTimer::timeout, this, [this] {
            watchTurn();
            watchIndex();
        });
        m_sinceTurn.start();
        m_turns.start(kTurnWatchMs);
        m_firstUse.start();
        m_building = true;
        m_box->setFocus();
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(m_box, &in);
        m_list->repaint();
        for (const char* text : kTypedEarly)
            m_pending << QString::fromLatin1(text);
        QTimer::singleShot(kKeyGapMs, this, [this] { typeOne(); });
    }

    void watchTurn() {
        longestGap = std::max(longestGap, msSince(m_sinceTurn));
        m_sinceTurn.restart();
    }

    void watchIndex() {
        if (m_building && m_status->PanelText(1).isEmpty()) {
            m_building = false;
            bench::report("search_first_use_ms", msSince(m_firstUse));
            bench::report("rss_after_first_use_mb", bench::residentMegabytes());
        }
    }

    void typeOne() {
        if (m_pending.isEmpty() && m_building) {
            QTimer::singleShot(kKeyGapMs, this, [this] { typeOne(); });
            return;
        }
        if (m_pending.isEmpty() && !m_timed) {
            m_timed = true;
            for (const char* text : kTyped) {
                for (const char c : QByteArray(text))
                    m_pending << QString(QLatin1Char(c));
                for (size_t i = 0; i < qstrlen(text); ++i)
                    m_pending << QString(); // Backspace
            }
        }
        if (m_pending.isEmpty()) {
            watchTurn();
            m_turns.stop();
            bench::report("rows_after_typing", m_list->grid()->Rows() - 1);
            bench::report("search_rss_mb", bench::residentMegabytes());
            done = true;
            m_list->close();
            return;
        }
        const QString c = m_pending.takeFirst();
        const Qt::Key key = c.isEmpty() ? Qt::Key_Backspace : Qt::Key(c[0].toUpper().unicode());
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, c);
        QApplication::sendEvent(m_box, &press);
        m_list->repaint();
        keys << msSince(t);
        QTimer::singleShot(m_timed ? kTimedKeyGapMs : kKeyGapMs, this, [this] { typeOne(); });
    }
};

/// Clicks into the search box of the shown list, the list refreshed between two clicks.
class ClickDriver : public QObject {
public:
    ClickDriver(int rows, int rounds) : m_rows(rows), m_rounds(rounds) {
        m_answer.setTimerType(Qt::PreciseTimer);
        connect(&m_answer, &QTimer::timeout, this, [this] { answered(); });
        connect(&m_poll, &QTimer::timeout, this, [this] { waitForList(); });
        m_poll.start(20);
    }

    QVector<double> clicks;
    QVector<double> clicksCpu;
    double longestStall = 0;
    bool done = false;

private:
    int m_rows;
    int m_rounds;
    QTimer m_poll;
    QTimer m_answer;
    bench::StallMeter m_stalls;
    tarvo::FrmMain* m_list = nullptr;
    QLineEdit* m_box = nullptr;
    QElapsedTimer m_click;
    double m_clickCpu = 0;
    bool m_waitingForAnswer = false;

    void waitForList() {
        m_list = shownList(m_rows);
        if (!m_list)
            return;
        // A click gives the box the keyboard only in the active window; the grid has it before.
        if (QApplication::activeWindow() != m_list) {
            m_list->activateWindow();
            return;
        }
        m_poll.stop();
        m_box = m_list->findChild<QLineEdit*>(QStringLiteral("txtQuickSearch"));
        m_list->grid()->setFocus();
        // A clerk looks at the list a moment before he clicks; what the load set going beside
        // the window (the pinyin's set-up) is done by then.
        QTimer::singleShot(kLookMs, this, [this] { click(); });
    }

    void click() {
        m_stalls.reset();
        m_waitingForAnswer = true;
        m_answer.start(1);
        m_click.start();
        m_clickCpu = bench::threadCpuMs();
        QTest::mouseClick(m_box, Qt::LeftButton);
    }

    void answered() {
        if (m_waitingForAnswer) {
            m_waitingForAnswer = false;
            clicks << msSince(m_click);
            clicksCpu << bench::threadCpuMs() - m_clickCpu;
            if (!m_box->hasFocus()) {
                std::fprintf(stderr, "the click did not give the search box the keyboard\n");
                clicks.clear();
                m_answer.stop();
                m_list->close();
                return;
            }
        }
        auto* status = m_list->findChild<tarvo::suite::StatusBar*>(QStringLiteral("Stb"));
        if (!status->PanelText(1).isEmpty())
            return; // the index is still being read
        m_answer.stop();
        longestStall = std::max(longestStall, m_stalls.longest());
        if (clicks.size() == m_rounds) {
            done = true;
            m_list->close();
            return;
        }
        // The next click is the first after a load again.
        m_list->grid()->setFocus();
        m_list->DataRefresh(QString());
        m_poll.start(20);
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), QString(), QStringLiteral("tarvo_search_%1").arg(n), n);
    giveChineseNames(dbName, n);
    auto login = bench::logIn(dbName);
    if (!login)
        return 1;

    if (argc > 2 && QByteArray(argv[2]) == "click") {
        ClickDriver clicker(n, argc > 3 ? QString(argv[3]).toInt() : 5);
        auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
        component->Show(login, "bank", "NB");
        if (!clicker.done || clicker.clicks.isEmpty()) {
            std::fprintf(stderr, "the clicks over %d rows were not all timed\n", n);
            return 1;
        }
        bench::report("search_click_median_ms", bench::median(clicker.clicks));
        bench::report("search_click_max_ms",
                      *std::max_element(clicker.clicks.cbegin(), clicker.clicks.cend()));
        bench::report("search_click_cpu_median_ms", bench::median(clicker.clicksCpu));
        bench::report("search_click_cpu_max_ms",
                      *std::max_element(clicker.clicksCpu.cbegin(), clicker.clicksCpu.cend()));
        bench::report("stall_after_click_ms", clicker.longestStall);
        return 0;
    }

    Driver driver(n);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (!driver.done) {
        std::fprintf(stderr, "the list never showed its %d rows\n", n);
        return 1;
    }
    if (!driver.refreshes.isEmpty())
        bench::report("refresh_median_ms", bench::median(driver.refreshes));
    bench::report("stall_search_ms", driver.longestGap);
    bench::report("search_key_median_ms", bench::median(driver.keys));
    bench::report("search_key_max_ms", *std::max_element(driver.keys.cbegin(), driver.keys.cend()));
    bench::report("peak_rss_mb", bench::peakMegabytes());
    return 0;
}
