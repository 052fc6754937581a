#include "AccountDatabase.h"
#include "FrmHistory.h"
#include "ListWindowFixture.h"
#include "ModalWatch.h"
#include "PrintControl.h"

#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <atomic>
#include <thread>

using namespace tarvo;

namespace {

/// What the history window showed: its data rows, cell by cell, and its status line.
struct Seen {
    QVector<QStringList> rows;
    QString status;
    bool keyShown = false;
};

Seen seen(FrmHistory& w) {
    Seen s;
    suite::Grid* g = w.grid();
    for (int r = 1; r < g->Rows(); ++r) {
        QStringList cells;
        for (int c = FrmHistory::When; c < FrmHistory::ColumnCount; ++c)
            cells << g->TextMatrix(r, c);
        s.rows << cells;
    }
    s.status = w.findChild<QLabel*>("Stb")->text();
    s.keyShown = g->ColWidth(FrmHistory::Key) > 0;
    return s;
}

QStringList row(const char* what, const char* key, const char* field, const char* before,
                const char* after) {
    return {QString::fromUtf8(what), QString::fromUtf8(key), QString::fromUtf8(field),
            QString::fromUtf8(before), QString::fromUtf8(after)};
}

/// A row without its time and operator.
QStringList change(const QStringList& cells) {
    return cells.mid(FrmHistory::What - 1);
}

void choose(QComboBox* box, const QString& text) {
    box->setCurrentIndex(box->findText(text));
}

struct HistoryWindowTest : ListWindowTest {
    QTemporaryDir dir;
    ~HistoryWindowTest() override { suite::setUnattendedExportPath({}); }

    /// Two banks through the save service: 901 added and renamed, 902 added and deleted.
    void saveSomeChanges(FrmMain& list) {
        ArchiveSession& s = ArchiveSession::current();
        QString err;
        for (const char* xml :
             {"<AA_Bank><cBankCode>901</cBankCode><cBankName>测试银行</cBankName></AA_Bank>",
              "<AA_Bank><cBankCode>902</cBankCode><cBankName>临时银行</cBankName></AA_Bank>"}) {
            QString x = QString::fromUtf8(xml);
            ASSERT_TRUE(s.SrvDB->Add(x, "aa_bank", err)) << err.toStdString();
        }
        QString x = "<AA_Bank><cBankCode>901</cBankCode><cBankName>改名 \"银行\"</cBankName>"
                    "</AA_Bank>";
        ASSERT_TRUE(s.SrvDB->Modify(x, "aa_bank", err)) << err.toStdString();
        QVariant key = QStringLiteral("902");
        ASSERT_TRUE(s.SrvDB->Delete(key, "cBankCode", "aa_bank", err, "demo"));
        refreshList(list);
    }
};

} // namespace

TEST_F(HistoryWindowTest, TheListShowsTheArchivesHistoryAndTheFiltersNarrowIt) {
    Seen all;
    Seen byField;
    Seen deletes;
    Seen typed;
    Seen tomorrow;
    bool closedByEsc = false;
    withList("aa_bank", "", [&](FrmMain& w) {
        saveSomeChanges(w);
        auto watch = whenModal<FrmHistory>([&](FrmHistory& hw) {
            all = seen(hw);
            choose(hw.findChild<QComboBox*>("cboField"), "银行名称");
            byField = seen(hw);
            choose(hw.findChild<QComboBox*>("cboAction"), "删除");
            deletes = seen(hw);
            choose(hw.findChild<QComboBox*>("cboAction"), "全部操作");
            auto* find = hw.findChild<QLineEdit*>("txtFind");
            find->setFocus();
            QInputMethodEvent commit;
            commit.setCommitString("改名");
            QApplication::sendEvent(find, &commit);
            typed = seen(hw);
            find->clear();
            auto* from = hw.findChild<QDateEdit*>("dtFrom");
            from->setDate(QDate::currentDate().addDays(1));
            tomorrow = seen(hw);
            QTest::keyClick(find, Qt::Key_Escape);
            closedByEsc = !hw.isVisible();
            hw.close();
        });
        w.findChild<QAction*>("Tlb_History")->trigger();
    });
    EXPECT_TRUE(closedByEsc);
    ASSERT_FALSE(all.rows.isEmpty());
    EXPECT_TRUE(all.keyShown) << "the archive's history names each record";
    // Newest first: the delete, with the values the record held.
    EXPECT_EQ(change(all.rows.first()).first(), "删除");
    EXPECT_TRUE(all.rows.first().contains("902"));
    EXPECT_EQ(all.rows.first()[FrmHistory::When - 1].size(), 19);
    EXPECT_EQ(all.status, QStringLiteral("共 %1 条").arg(all.rows.size()));

    QVector<QStringList> names;
    for (const QStringList& r : byField.rows)
        names << change(r);
    EXPECT_EQ(names, (QVector<QStringList>{row("删除", "902", "银行名称", "临时银行", ""),
                                           row("修改", "901", "银行名称", "测试银行", "改名 \"银行\""),
                                           row("增加", "902", "银行名称", "", "临时银行"),
                                           row("增加", "901", "银行名称", "", "测试银行")}));
    EXPECT_EQ(byField.status, QStringLiteral("共 %1 条，显示 4 条").arg(all.rows.size()));
    ASSERT_EQ(deletes.rows.size(), 1);
    EXPECT_EQ(change(deletes.rows[0]), row("删除", "902", "银行名称", "临时银行", ""));
    ASSERT_EQ(typed.rows.size(), 1);
    EXPECT_EQ(change(typed.rows[0])[0], "修改");
    EXPECT_TRUE(tomorrow.rows.isEmpty());
}

TEST_F(HistoryWindowTest, TheCardShowsTheHistoryOfItsOwnRecordOnly) {
    Seen shown;
    bool opened = false;
    withList("aa_bank", "", [&](FrmMain& w) {
        saveSomeChanges(w);
        suite::Grid* g = w.grid();
        for (int r = 1; r < g->Rows(); ++r)
            if (g->TextMatrix(r, w.m_KeyCol) == u"901")
                g->setRow(r);
        auto history = whenModal<FrmHistory>([&](FrmHistory& hw) {
            opened = true;
            shown = seen(hw);
            hw.close();
        });
        auto card = whenModal<FrmZAM>([&](FrmZAM& c) {
            QTest::keyClick(&c, Qt::Key_H, Qt::ControlModifier);
            c.close();
        });
        w.DoCommand("Modify");
    });
    ASSERT_TRUE(opened) << "Ctrl+H in the card";
    EXPECT_FALSE(shown.keyShown);
    QVector<QStringList> changes;
    for (const QStringList& r : shown.rows)
        changes << change(r);
    EXPECT_TRUE(changes.contains(row("修改", "901", "银行名称", "测试银行", "改名 \"银行\"")));
    EXPECT_TRUE(changes.contains(row("增加", "901", "银行名称", "", "测试银行")));
    for (const QStringList& c : changes)
        EXPECT_EQ(c[1], "901");
}

TEST_F(HistoryWindowTest, ExportWritesTheRowsTheFilterShows) {
    h.configurePub = [](RecordingPub& p) { p.realPrinting = true; };
    const QString file = dir.filePath("history.csv");
    suite::setUnattendedExportPath(file);
    withList("aa_bank", "", [&](FrmMain& w) {
        saveSomeChanges(w);
        auto watch = whenModal<FrmHistory>([&](FrmHistory& hw) {
            choose(hw.findChild<QComboBox*>("cboAction"), "修改");
            hw.DoCommand("SaveFile");
            hw.close();
        });
        w.DoCommand("History");
    });
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("原值")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"改名 \"\"银行\"\"\"")) << "quoted as CSV quotes";
    EXPECT_FALSE(text.contains("临时银行")) << "rows the filter hides stay out";
}

TEST_F(HistoryWindowTest, AnAccountsCodesShowAsTheListAndTheCardShowThem) {
    QMap<QString, QStringList> changed; // field caption: before, after
    QStringList logins;
    QString stored;
    withList("bank", "NB", [&](FrmMain& w) {
        ArchiveSession& s = ArchiveSession::current();
        QString err;
        const auto save = [&](const char* bank, const char* ledger, int property, int sign,
                              const char* balance, bool modify) {
            QString x =
                QStringLiteral("<Bank><cBCode>H1</cBCode><cBAccount>6222 0001</cBAccount><cAccName>"
                               "历史</cAccName><cCurrencyName>人民币</cCurrencyName><bBflag>0"
                               "</bBflag><cBName>支行</cBName><cBankCode>%1</cBankCode><cCode>%2"
                               "</cCode><iAccProperty>%3</iAccProperty><iSignFlag>%4</iSignFlag>"
                               "<fCurBalance>%5</fCurBalance></Bank>")
                    .arg(QLatin1String(bank), QLatin1String(ledger))
                    .arg(property)
                    .arg(sign)
                    .arg(QLatin1String(balance));
            return modify ? s.SrvDB->Modify(x, "bank", err) : s.SrvDB->Add(x, "bank", err);
        };
        QString bank = "<AA_Bank><cBankCode>901</cBankCode><cBankName>将撤销的银行</cBankName>"
                       "</AA_Bank>";
        ASSERT_TRUE(s.SrvDB->Add(bank, "aa_bank", err)) << err.toStdString();
        ASSERT_TRUE(save("901", "100201", 0, 1, "1234567.8", false)) << err.toStdString();
        ASSERT_TRUE(save("102", "100203", 1, 0, "12345.6", true)) << err.toStdString();
        // A bank no account uses any more may go; the history still names its code.
        QVariant gone = QStringLiteral("901");
        ASSERT_TRUE(s.SrvDB->Delete(gone, "cBankCode", "aa_bank", err, "demo"))
            << err.toStdString();
        QString sql = "select distinct cSessionUser from tarvo_history";
        stored = s.SrvDB->OpenX(sql)->Value("cSessionUser").toString();
        refreshList(w);
        auto watch = whenModal<FrmHistory>([&](FrmHistory& hw) {
            suite::Grid* g = hw.grid();
            for (int r = 1; r < g->Rows(); ++r) {
                logins << g->TextMatrix(r, FrmHistory::Session);
                if (g->TextMatrix(r, FrmHistory::Key) == u"H1" &&
                    !g->TextMatrix(r, FrmHistory::Before).isEmpty())
                    changed[g->TextMatrix(r, FrmHistory::Field)] = {
                        g->TextMatrix(r, FrmHistory::Before), g->TextMatrix(r, FrmHistory::After)};
            }
            hw.close();
        });
        w.DoCommand("History");
    });
    const QMap<QString, QStringList> expected{
        {"所属银行", {"901", "中国工商银行"}},
        {"对应科目", {"100201 工商银行存款", "100203 中国银行存款"}},
        {"账户属性",
         {"res:Tarvo.AA.ARCHIVE.COMMON.iaccproperty0",
          "res:Tarvo.AA.ARCHIVE.COMMON.iaccproperty1"}},
        // The stored 1 shows the first text, as in the list.
        {"签约标志",
         {"res:Tarvo.AA.ARCHIVE.COMMON.isignflag0", "res:Tarvo.AA.ARCHIVE.COMMON.isignflag1"}},
        // With the decimals of the display style, as the card formats them.
        {"当前余额", {"1234567.80", "12345.60"}}};
    EXPECT_EQ(changed, expected);
    EXPECT_FALSE(stored.isEmpty());
    EXPECT_EQ(logins.count(stored), logins.size()) << "every change names who was logged in";
}

TEST_F(HistoryWindowTest, TheWindowSaysItReadsMeanwhileAndClosesWithoutWaitingForTheRows) {
    if (!h.db.onServer())
        GTEST_SKIP() << "a file's readers never wait for its writers";
    // Another clerk's transaction holds the history: the window's read waits on the server.
    const auto holder = suite::AccountDatabase::open(h.db.name());
    std::atomic<bool> released = false;
    std::thread fallback;
    bool wasReading = false;
    bool commandsHeld = false;
    bool closed = false;
    QString status;
    Seen later;
    withList("aa_bank", "", [&](FrmMain& w) {
        saveSomeChanges(w);
        holder->sql().exec("begin");
        holder->sql().exec("lock table tarvo_history in access exclusive mode");
        // Should the close wait for the read after all, the holder gives way in the end, so that
        // the test fails rather than hangs.
        fallback = std::thread([&] {
            for (int i = 0; i < 300 && !released; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!released.exchange(true))
                holder->sql().exec("rollback");
        });
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* hw = qobject_cast<FrmHistory*>(QApplication::activeModalWidget());
            if (!hw)
                return;
            poll.stop();
            QTest::qWait(100);
            wasReading = hw->reading();
            status = hw->findChild<QLabel*>("Stb")->text();
            commandsHeld = !hw->findChild<QToolBar*>("Tlb")->isEnabled() &&
                           !hw->findChild<QWidget*>("FilterRow")->isEnabled();
            QTest::keyClick(hw, Qt::Key_Escape);
            closed = !hw->isVisible() && !released;
        });
        poll.start();
        w.DoCommand("History");
        if (!released.exchange(true))
            holder->sql().exec("rollback");
        fallback.join();

        // The session the stopped read used serves the next one.
        auto watch = whenModal<FrmHistory>([&](FrmHistory& hw) {
            later = seen(hw);
            hw.close();
        });
        w.DoCommand("History");
    });
    EXPECT_TRUE(wasReading);
    EXPECT_EQ(status, "正在读取修改记录…");
    EXPECT_TRUE(commandsHeld);
    EXPECT_TRUE(closed) << "Esc closed the window while the server still held the rows";
    ASSERT_FALSE(later.rows.isEmpty());
    EXPECT_EQ(change(later.rows.first()).first(), "删除");
}
