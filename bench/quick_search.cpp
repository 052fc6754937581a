// What a clerk waits for when narrowing a long list of bank accounts with the search box: from
// each key typed into the box to the list painted again, started from the event loop; the
// box's first use after a load, when each row's search key is worked out; and, as the
// baseline, a plain refresh of the same list to its paint. Every account gets a Chinese name
// of its own, so that no name's pinyin is spelled for another: the costliest case.
//   bench_quick_search N
// Prints "NAME VALUE" lines.
#include "AccountDatabase.h"
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kRefreshes = 3;

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

class Driver : public QObject {
public:
    explicit Driver(int rows) : m_rows(rows) {
        connect(&m_poll, &QTimer::timeout, this, [this] { findList(); });
        m_poll.start(20);
    }

    QVector<double> keys;
    QVector<double> refreshes;
    bool done = false;

private:
    int m_rows;
    QTimer m_poll;
    tarvo::FrmMain* m_list = nullptr;
    QLineEdit* m_box = nullptr;
    QStringList m_pending;

    void findList() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (list && list->isLoaded() && list->grid()->Rows() == m_rows + 1) {
                m_poll.stop();
                m_list = list;
                m_box = list->findChild<QLineEdit*>(QStringLiteral("txtQuickSearch"));
                QTimer::singleShot(0, this, [this] { refreshOnce(); });
                return;
            }
        }
    }

    void refreshOnce() {
        QElapsedTimer t;
        t.start();
        m_list->DataRefresh(QString());
        m_list->repaint();
        refreshes << msSince(t);
        QTimer::singleShot(0, this, [this] {
            if (refreshes.size() < kRefreshes)
                refreshOnce();
            else
                firstUse();
        });
    }

    void firstUse() {
        QElapsedTimer t;
        t.start();
        m_box->setFocus();
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(m_box, &in);
        m_list->repaint();
        bench::report("search_first_use_ms", msSince(t));
        bench::report("rss_after_first_use_mb", bench::residentMegabytes());
        for (const char* text : kTyped) {
            for (const char c : QByteArray(text))
                m_pending << QString(QLatin1Char(c));
            for (size_t i = 0; i < qstrlen(text); ++i)
                m_pending << QString(); // Backspace
        }
        QTimer::singleShot(0, this, [this] { typeOne(); });
    }

    void typeOne() {
        if (m_pending.isEmpty()) {
            bench::report("rows_after_typing", m_list->grid()->Rows() - 1);
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
        QTimer::singleShot(0, this, [this] { typeOne(); });
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    QTemporaryDir dir;
    const QString dbName = bench::makeDatabase(dir.path(), QString(),
                                               QStringLiteral("tarvo_search_%1").arg(n));
    bench::generateAccounts(dbName, n);
    giveChineseNames(dbName, n);
    auto login = bench::logIn(dbName);
    if (!login)
        return 1;

    Driver driver(n);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (!driver.done) {
        std::fprintf(stderr, "the list never showed its %d rows\n", n);
        return 1;
    }
    bench::report("refresh_median_ms", bench::median(driver.refreshes));
    bench::report("search_key_median_ms", bench::median(driver.keys));
    bench::report("search_key_max_ms", *std::max_element(driver.keys.cbegin(), driver.keys.cend()));
    bench::report("peak_rss_mb", bench::peakMegabytes());
    return 0;
}
