#include "ListWindowFixture.h"
#include "ComponentLanguage.h"
#include "Eventually.h"
#include "ListReadFailure.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace tarvo;

namespace {

/// A condition each row takes a while to pass, so that a read of a few thousand rows lasts
/// long enough to act on the window meanwhile.
const QString kSlowRows = "length(hex(randomblob(150000))) > 0";

struct ListLoadTest : ListWindowTest {
    /// n accounts more, their codes T00001 … in order after the demo ones.
    void addAccounts(int n) {
        h.exec(QStringLiteral(
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                   "INSERT INTO bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, "
                   "cBankCode) SELECT 'T' || substr(CAST(100000 + i AS varchar(10)), 2), "
                   "'6222' || i, '测试账户' || i, '人民币', '测试支行', '102' FROM n")
                   .arg(n));
    }
    static QString status(FrmMain& w) {
        return w.findChild<suite::StatusBar*>("Stb")->PanelText(3);
    }
    static QStringList codes(FrmMain& w) {
        QStringList out;
        for (int row = 1; row < w.grid()->Rows(); ++row)
            out << w.grid()->TextMatrix(row, 1);
        return out;
    }
    /// Runs act on the window from its event loop as soon as ready holds while rows are read.
    [[nodiscard]] static std::shared_ptr<QTimer> whileReading(FrmMain& w,
                                                             std::function<bool()> ready,
                                                             std::function<void()> act) {
        auto timer = std::make_shared<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [&w, t = timer.get(), ready, act] {
            if (w.isReading() && ready()) {
                t->stop();
                act();
            }
        });
        timer->start(5);
        return timer;
    }
    static void pressEsc(FrmMain& w) { QTest::keyClick(w.grid(), Qt::Key_Escape); }
};

} // namespace

TEST_F(ListLoadTest, EscStopsARefreshAndTheListKeepsTheRowsItHad) {
    withList("bank", "NB", [&](FrmMain& w) {
        const QStringList before = codes(w);
        ASSERT_EQ(before.size(), 4);
        addAccounts(3000);
        bool sawProgress = false;
        const auto esc = whileReading(
            w,
            [&] {
                sawProgress = status(w).startsWith("正在读取");
                return sawProgress;
            },
            [&] { pressEsc(w); });
        refreshList(w, kSlowRows);
        EXPECT_TRUE(sawProgress);
        EXPECT_FALSE(w.isReading());
        EXPECT_EQ(codes(w), before);
        EXPECT_FALSE(w.isPartial());
        EXPECT_EQ(status(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|4");
        EXPECT_TRUE(h.pub()->callsOf("MsgBox").isEmpty()) << "a stop is no error";
    });
}

TEST_F(ListLoadTest, EscStopsAFirstFillAndTheListShowsWhatWasReadUntilRefreshed) {
    withList("bank", "NB", [&](FrmMain& w) {
        addAccounts(3000);
        refreshList(w, "cBCode='none'");
        ASSERT_EQ(w.grid()->Rows(), 1);
        int shownWhileReading = 0;
        const auto esc = whileReading(
            w, [&] { return w.grid()->Rows() > 1; },
            [&] {
                shownWhileReading = w.grid()->Rows() - 1;
                pressEsc(w);
            });
        refreshList(w, kSlowRows);
        EXPECT_GT(shownWhileReading, 0) << "the first rows showed before the rest were read";
        const int kept = w.grid()->Rows() - 1;
        EXPECT_GE(kept, shownWhileReading);
        EXPECT_LT(kept, 3004);
        EXPECT_TRUE(w.isPartial());
        EXPECT_TRUE(status(w).startsWith("已停止读取")) << status(w).toStdString();
        EXPECT_EQ(codes(w).first(), "01");

        // Printing and export act on whole lists only, and say so.
        const int m = mark();
        w.DoCommand("Print");
        EXPECT_EQ(callsSince(m).filter("MsgBox(").size(), 1);
        EXPECT_TRUE(callsSince(m).filter("GetPrnDataFile").isEmpty());

        refreshList(w, "");
        EXPECT_FALSE(w.isPartial());
        EXPECT_EQ(w.grid()->Rows(), 3005);
        EXPECT_EQ(codes(w).last(), "T03000");
        EXPECT_EQ(status(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|3004");
    });
}

TEST_F(ListLoadTest, ARefreshReturnsAtOnceAndWhatWaitsForItsRowsRunsOnceTheyAreIn) {
    withList("bank", "NB", [&](FrmMain& w) {
        const QStringList before = codes(w);
        addAccounts(1000);
        QSignalSpy shown(&w, &FrmMain::rowsShown);
        w.DataRefresh(kSlowRows);
        EXPECT_TRUE(w.isReading()) << "the call does not wait for the rows";
        EXPECT_EQ(codes(w), before) << "the grid keeps its rows until the new ones are in";
        int rowsWhenRun = 0;
        w.whenRead([&] { rowsWhenRun = w.grid()->Rows() - 1; });
        EXPECT_EQ(rowsWhenRun, 0);
        ASSERT_TRUE(shown.wait(60000));
        EXPECT_EQ(shown.size(), 1);
        EXPECT_EQ(rowsWhenRun, 1004);
        EXPECT_FALSE(w.isReading());

        // Asked when nothing is read, it runs at once.
        bool ran = false;
        w.whenRead([&] { ran = true; });
        EXPECT_TRUE(ran);
    });
}

TEST_F(ListLoadTest, ACancelRightAfterARefreshStartsEndsItBeforeItsStatement) {
    withList("bank", "NB", [&](FrmMain& w) {
        const QStringList before = codes(w);
        addAccounts(3000);
        QSignalSpy shown(&w, &FrmMain::rowsShown);
        w.DataRefresh(kSlowRows);
        w.cancelReading();
        ASSERT_TRUE(shown.wait(60000)) << "the read ended";
        EXPECT_FALSE(w.isReading());
        EXPECT_EQ(codes(w), before);
        EXPECT_FALSE(w.isPartial());
        EXPECT_EQ(status(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|4");

        EXPECT_TRUE(h.pub()->callsOf("MsgBox").isEmpty()) << "a stop is no error";

        // An empty grid lists what was read before the cancel (on a busy machine the reading
        // thread may get a few rows in before it).
        refreshList(w, "cBCode='none'");
        ASSERT_EQ(w.grid()->Rows(), 1);
        shown.clear();
        const int m = mark();
        w.DataRefresh(kSlowRows);
        w.cancelReading();
        ASSERT_TRUE(shown.wait(60000)) << "the read ended";
        EXPECT_LT(w.grid()->Rows(), 3005);
        EXPECT_TRUE(w.isPartial());
        EXPECT_TRUE(status(w).startsWith("已停止读取")) << status(w).toStdString();
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").isEmpty()) << "a stop is no error";
    });
}

TEST_F(ListLoadTest, ACommandGivenWhileRowsAreReadWaitsForTheWholeList) {
    withList("bank", "NB", [&](FrmMain& w) {
        addAccounts(1000);
        int rowsWhenAsked = 0;
        int m = 0;
        const auto ask = whileReading(
            w, [] { return true; },
            [&] {
                m = mark();
                w.DoCommand("FindSet");
                rowsWhenAsked = int(callsSince(m).filter("FindSet(").size());
            });
        refreshList(w, kSlowRows);
        EXPECT_EQ(rowsWhenAsked, 0) << "not while reading";
        EXPECT_EVENTUALLY(callsSince(m).filter("FindSet(").size() == 1);
        EXPECT_EQ(w.grid()->Rows(), 1005);
    });
}

TEST_F(ListLoadTest, ARefreshDuringWhichRowsChangeListsTheArchiveAsItWasWhenItStarted) {
    withList("bank", "NB", [&](FrmMain& w) {
        addAccounts(2000);
        const auto change = whileReading(
            w,
            [&] {
                return status(w).startsWith("正在读取") && !status(w).startsWith("正在读取… 0 ");
            },
            [&] {
                h.exec("delete from bank where cBCode >= 'T01001'");
                h.exec("insert into bank (cBCode, cBAccount, cCurrencyName, cBName, cBankCode) "
                       "values ('U0001', '62229999', '人民币', '新支行', '102')");
            });
        refreshList(w, kSlowRows);
        QStringList listed = codes(w);
        EXPECT_EQ(listed.size(), 2004);
        EXPECT_EQ(listed.last(), "T02000") << "rows deleted meanwhile are listed";
        EXPECT_FALSE(listed.contains("U0001")) << "rows added meanwhile are not";
        EXPECT_EQ(listed.removeDuplicates(), 0);

        refreshList(w, "");
        EXPECT_EQ(codes(w).size(), 1005);
        EXPECT_EQ(codes(w).last(), "U0001");
    });
}

TEST_F(ListLoadTest, RefreshesAskedWhileRowsAreReadAreReadOnceAfterwardsTheLastOneWinning) {
    withList("bank", "NB", [&](FrmMain& w) {
        addAccounts(1000);
        const auto listReads = [&](int since) {
            int n = 0;
            for (const QString& sql : h.sql.mid(since))
                n += sql.contains("Order By", Qt::CaseInsensitive);
            return n;
        };
        // Two conditions asked in turn, as by two nodes of a tree clicked one after the other.
        int m = sqlMark();
        const auto ask = whileReading(
            w, [] { return true; },
            [&] {
                w.DataRefresh("cBCode like 'T00%'");
                w.DataRefresh("cBCode like 'T001%'");
            });
        refreshList(w, kSlowRows);
        EXPECT_FALSE(w.isReading()) << "the end comes with the last list in";
        EXPECT_EQ(listReads(m), 2);
        EXPECT_TRUE(h.sql.last().contains("T001%")) << h.sql.last().toStdString();
        EXPECT_EQ(codes(w).size(), 100);
        EXPECT_EQ(codes(w).value(0), "T00100");
        EXPECT_FALSE(w.isPartial());
        EXPECT_EQ(status(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|100");
        QTest::qWait(100);
        EXPECT_EQ(listReads(m), 2) << "nothing read again later";

        // The refresh key pressed twice while a list is read reads it once more, after.
        m = sqlMark();
        const auto press = whileReading(
            w, [] { return true; },
            [&] {
                w.DoCommand("Refresh");
                w.DoCommand("Refresh");
            });
        refreshList(w, kSlowRows);
        EXPECT_TRUE(QTest::qWaitFor([&] { return listReads(m) == 2 && !w.isReading(); }));
        QTest::qWait(100);
        EXPECT_EQ(listReads(m), 2);
        EXPECT_EQ(codes(w).size(), 1004);
        EXPECT_EQ(status(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|1004");
    });
}

TEST_F(ListLoadTest, WhileRowsAreReadTheStatusCountsThemAndTheCountComesWithTheEnd) {
    withList("bank", "NB", [&](FrmMain& w) {
        addAccounts(3000);
        auto* search = w.findChild<QLineEdit*>("txtQuickSearch");
        ASSERT_TRUE(search);
        QStringList seen;
        QTimer sample;
        QObject::connect(&sample, &QTimer::timeout, [&] {
            if (w.isReading() && (seen.isEmpty() || seen.last() != status(w)))
                seen << status(w);
        });
        sample.start(2);
        // The search box narrows the rows on screen meanwhile, which counts nothing read.
        const auto type = whileReading(
            w, [&] { return status(w).startsWith("正在读取… "); },
            [&] { QTest::keyClicks(search, "T0"); });
        refreshList(w, kSlowRows);
        sample.stop();
        ASSERT_FALSE(seen.isEmpty());
        EXPECT_TRUE(seen.first().startsWith("正在读取"));
        // Once read, the rows go into the grid, under the count of what was read.
        const QString all = "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|3004";
        const QString found = "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|3000";
        for (const QString& text : seen)
            EXPECT_TRUE(text.startsWith("正在读取") || text == all || text == found)
                << text.toStdString();
        EXPECT_EQ(search->text(), "T0");
        // The count of the rows the read brought that the search box shows.
        EXPECT_EVENTUALLY(status(w) == "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|3000");
    });
}

TEST_F(ListLoadTest, AReadThatStopsSaysWhetherTheConditionOrTheConnectionFailedInEachLanguage) {
    // The list window and a script's export tell the clerk in the same words.
    withList("bank", "NB", [&](FrmMain&) {
        EXPECT_EQ(listReadFailure(0, "syntax error"), "res:Tarvo.AA.ARCHIVE.COMMON.conditionerror")
            << "nothing read: the statement itself was refused";
        useComponentLanguage("en-US");
        const QString english = listReadFailure(4096, "server closed the connection");
        useComponentLanguage("zh-CN");
        const QString chinese = listReadFailure(4096, "server closed the connection");
        EXPECT_EQ(english, "The connection to the database was lost while the list was read; "
                           "the list was not read to its end.\nserver closed the connection");
        EXPECT_EQ(chinese, "与数据库的连接在读取列表时中断，列表没有读完。\n"
                           "server closed the connection");
    });
}
