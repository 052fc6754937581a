#include "ClsCommon.h"
#include "Eventually.h"
#include "Grid.h"
#include "HelpViewer.h"
#include "KeyHook.h"
#include "Login.h"
#include "Pub.h"
#include "SessionFont.h"
#include "TempDatabase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDomDocument>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>

using namespace tarvo;

namespace {

std::shared_ptr<suite::Grid> filledGrid() {
    auto grid = std::make_shared<suite::Grid>();
    grid->setCols(3);
    grid->setRows(6);
    grid->setTextMatrix(0, 1, "编码");
    grid->setTextMatrix(0, 2, "名称");
    const char* names[] = {"丁", "甲", "丙", "乙", "戊"};
    const char* codes[] = {"10", "2", "33", "4", "5"};
    for (int r = 1; r <= 5; ++r) {
        grid->setTextMatrix(r, 0, QString::number(r));
        grid->setTextMatrix(r, 1, codes[r - 1]);
        grid->setTextMatrix(r, 2, QString::fromUtf8(names[r - 1]));
    }
    return grid;
}

QStringList column(const suite::Grid& g, int c) {
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << g.TextMatrix(r, c);
    return out;
}

LoginPtr loginAs(const QString& db, const QString& user, const QString& name) {
    suite::LoginInfo info;
    info.dbName = db;
    info.userId = user;
    info.userName = name;
    return std::make_shared<suite::Login>(info);
}

} // namespace

TEST(PubServices, MessageBoxButtonsAndAnswersUseTheClassicCodes) {
    suite::Pub pub;
    QString shownText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::No)->click();
    });
    QString prompt = "确实要删除“01”吗？";
    EXPECT_EQ(pub.MsgBox(prompt, 52, "警告"), 7);
    EXPECT_EQ(shownText, prompt);

    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(pub.MsgBox(prompt, 64, "提示"), 1);
}

TEST(PubServices, TheSessionFontIsTheFamilyOfEveryWindowAndDialog) {
    const QFont before = QApplication::font();
    tarvo::suite::useSessionFont();
    QWidget window;
    tarvo::suite::Pub().FrmUnitefont(&window);
    QMessageBox box(QMessageBox::Warning, "", "无法打开账套数据库", QMessageBox::Ok);
    QDialog dialog;
    const QString family = QFontInfo(window.font()).family();
    EXPECT_EQ(QFontInfo(box.font()).family(), family);
    EXPECT_EQ(QFontInfo(dialog.font()).family(), family);
    EXPECT_EQ(QFontInfo(box.button(QMessageBox::Ok)->font()).family(), family);
    EXPECT_EQ(QFontInfo(box.font()).pointSizeF(), QFontInfo(before).pointSizeF())
        << "the family changes, not the platform's size";
    QApplication::setFont(before);
}

TEST(PubServices, SortingKeepsTheSerialNumbersAndIgnoresTheirColumn) {
    suite::Pub pub;
    auto grid = filledGrid();
    grid->setCol(1);
    pub.GridSort(nullptr, grid.get(), 1);
    EXPECT_EQ(column(*grid, 1), QStringList({"2", "4", "5", "10", "33"})) << "numbers as numbers";
    EXPECT_EQ(column(*grid, 0), QStringList({"1", "2", "3", "4", "5"}));
    QString item = "Desc";
    pub.GridSortNew(nullptr, grid.get(), item);
    EXPECT_EQ(column(*grid, 1), QStringList({"33", "10", "5", "4", "2"}));
    grid->setCol(0);
    pub.GridSort(nullptr, grid.get(), 1);
    EXPECT_EQ(column(*grid, 1), QStringList({"33", "10", "5", "4", "2"}));
    EXPECT_THROW(pub.GridSort(nullptr, nullptr, 1), std::exception);
}

TEST(PubServices, AmountsShownWithThousandsSeparatorsSortAsNumbers) {
    suite::Pub pub;
    auto grid = filledGrid();
    const char* amounts[] = {"1,234,567.80", "9.50", "-1,000.00", "", "12.00"};
    for (int r = 1; r <= 5; ++r)
        grid->setTextMatrix(r, 2, QString::fromUtf8(amounts[r - 1]));
    grid->setCol(2);
    QString item = "Asc";
    pub.GridSortNew(nullptr, grid.get(), item);
    EXPECT_EQ(column(*grid, 2), QStringList({"", "-1,000.00", "9.50", "12.00", "1,234,567.80"}));
}

TEST(PubServices, SetGridRowFindsTheKeyOrPutsThePositionBack) {
    suite::Pub pub;
    auto grid = filledGrid();
    grid->resize(300, 80);
    QVariant key = "33";
    pub.SetGridRow(grid.get(), key, "编码");
    EXPECT_EQ(grid->Row(), 3);
    QVariant missing = "nope";
    pub.SetGridRow(grid.get(), missing, "编码");
    EXPECT_EQ(grid->Row(), 3) << "an unknown key keeps the selection";

    int row = 9, top = 0;
    pub.SetGridRow(grid.get(), row, top);
    EXPECT_EQ(grid->Row(), 5) << "rows deleted meanwhile: the last one";
    EXPECT_EQ(row, 5);
    grid->setRows(1);
    row = 2;
    pub.SetGridRow(grid.get(), row, top);
    EXPECT_EQ(grid->Row(), 0);
}

TEST(PubServices, WindowOptionsAreStoredPerUserAndApplied) {
    TempDatabase temp;
    auto db = std::make_shared<suite::ClsCommon>();
    db->Init(temp.name());
    ClsCommonPtr srv = db;
    LoginPtr demo = loginAs(temp.name(), "demo", "演示用户");
    LoginPtr admin = loginAs(temp.name(), "admin", "系统管理员");
    suite::Pub pub;

    QWidget window;
    auto* tlb = new QToolBar(&window);
    tlb->setObjectName("Tlb");
    auto* stb = new QStatusBar(&window);
    stb->setObjectName("Stb");
    window.show();
    pub.FrmLoadInit(&window, "银行档案", demo, srv);
    EXPECT_EQ(window.windowTitle(), "银行档案");
    EXPECT_TRUE(stb->isVisible());
    EXPECT_EQ(tlb->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);

    QString key = "mStb";
    pub.FrmOpt(&window, key, "银行档案", {}, demo, srv);
    EXPECT_FALSE(stb->isVisible());
    key = "MTEXT";
    pub.FrmOpt(&window, key, "银行档案", {}, demo, srv);
    EXPECT_EQ(tlb->toolButtonStyle(), Qt::ToolButtonIconOnly);

    QWidget other;
    auto* otherStb = new QStatusBar(&other);
    otherStb->setObjectName("Stb");
    other.show();
    pub.FrmLoadInit(&other, "银行档案", demo, srv);
    EXPECT_FALSE(otherStb->isVisible()) << "the stored option applies to the next window";
    pub.FrmLoadInit(&other, "银行档案", admin, srv);
    EXPECT_TRUE(otherStb->isVisible()) << "another user has options of their own";
}

namespace {

/// Two users, each with a public-services object of their own, on one database.
struct TwoUsers : ::testing::Test {
    TempDatabase temp;
    ClsCommonPtr srv;
    LoginPtr demo = loginAs(temp.name(), "demo", "演示用户");
    LoginPtr admin = loginAs(temp.name(), "admin", "系统管理员");
    suite::Pub first, second;

    /// The text of the message box that a call shows, answered at once.
    static QString boxTextDuring(const std::function<void()>& call) {
        QString text;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            }
        });
        call();
        return text;
    }
};

} // namespace

TEST_F(TwoUsers, EditLocksAreRefusedWithTheHoldersNameAndReleased) {
    EXPECT_FALSE(first.IsLockFun(srv, demo, "AA_Bank", 1));
    EXPECT_FALSE(second.IsLockFun(srv, admin, "aa_bank", 1)) << "other users may open it too";
    EXPECT_FALSE(first.IsLockFun(srv, demo, "aa_bank", 2));

    const QString refusal =
        boxTextDuring([&] { EXPECT_TRUE(second.IsLockFun(srv, admin, "aa_bank", 2)); });
    EXPECT_TRUE(refusal.contains("演示用户")) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains("demo"));

    EXPECT_FALSE(first.IsLockFun(srv, demo, "aa_bank", -2));
    EXPECT_FALSE(second.IsLockFun(srv, admin, "aa_bank", 2)) << "released by -2";
    EXPECT_FALSE(second.IsLockFun(srv, admin, "aa_bank", -2));
    LoginPtr nobody;
    EXPECT_FALSE(first.IsLockFun(srv, nobody, "aa_bank", -1)) << "a release without login is quiet";
}

TEST_F(TwoUsers, AnEditLockTakenOverAfterItsLeaseIsRefusedWithAWarning) {
    ASSERT_FALSE(first.IsLockFun(srv, demo, "bank", 2));
    suite::AccountDatabase::open(temp.name())
        ->sql()
        .exec("UPDATE tarvo_lock SET dLease = '2000-01-01T00:00:00Z'");
    ASSERT_FALSE(second.IsLockFun(srv, admin, "bank", 2)) << "the lease ran out";
    const QString warning =
        boxTextDuring([&] { EXPECT_TRUE(first.IsLockFun(srv, demo, "bank", 2)); });
    EXPECT_TRUE(warning.contains("接管") && warning.contains("系统管理员"))
        << warning.toStdString();
}

TEST(PubServices, HelpOpensOnTheSentHelpKeyAndHidesAgain) {
    suite::Pub pub;
    QWidget window;
    window.show();
    LoginPtr none;
    pub.HelpX("BANK", &window, none, nullptr, false);
    suite::KeyHook::sendKey(&window, Qt::Key_F1);
    EXPECT_EVENTUALLY(suite::HelpViewer::openFor(&window) != nullptr);
    EXPECT_EQ(suite::HelpViewer::openFor(&window)->topic(), "bank");
    EXPECT_TRUE(suite::HelpViewer::openFor(&window)
                    ->findChild<QTextBrowser*>("HelpText")
                    ->toPlainText()
                    .contains("本单位开户银行"));
    QString key = "Help";
    pub.HelpHide(nullptr, key, &window);
    EXPECT_EVENTUALLY(suite::HelpViewer::openFor(&window) == nullptr);
}

TEST(PubServices, HookStartsTheWindowsKeyHook) {
    suite::Pub pub;
    QWidget window;
    auto* hook = new suite::KeyHook(&window);
    auto* edit = new QLineEdit(&window);
    window.show();
    edit->setFocus();
    int reported = 0;
    QObject::connect(hook, &suite::KeyHook::keyDown, [&](int vk, int shift) {
        EXPECT_EQ(vk, 116);
        EXPECT_EQ(shift, 2);
        ++reported;
    });
    QTest::keyClick(edit, Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(reported, 0);
    pub.hook(&window);
    EXPECT_TRUE(pub.isHooked(&window));
    QTest::keyClick(edit, Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(reported, 1) << "reported once, though the key passes several widgets";
    suite::KeyHook::sendKey(edit, Qt::Key_F5);
    QCoreApplication::processEvents();
    EXPECT_EQ(reported, 1) << "keys the suite sends itself are not reported";
    pub.Unhook(&window);
    QTest::keyClick(edit, Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(reported, 1);
}

TEST(PubServices, NumbersAndDigitEdits) {
    suite::Pub pub;
    EXPECT_EQ(pub.FormatNum(1234.5, 2), "1,234.50");
    EXPECT_EQ(pub.FormatNum("1,234.5", 3), "1,234.500");
    EXPECT_EQ(pub.FormatNum(QVariant(), 2), "");
    EXPECT_EQ(pub.FormatNum("abc", 2), "abc");
    // Amounts of numeric(19,4) have more digits than a double keeps.
    EXPECT_EQ(pub.FormatNum("123456789012345.6789", 4), "123,456,789,012,345.6789");
    EXPECT_EQ(pub.FormatNum("12,345,678,901,234.5678", 4), "12,345,678,901,234.5678");
    EXPECT_EQ(pub.FormatNum("-0.005", 2), "-0.01");
    QDomDocument doc;
    doc.setContent(QString("<style><fcurbalance>4</fcurbalance></style>"));
    EXPECT_EQ(pub.GetEleVal(doc.documentElement(), "fcurbalance").toString(), "4");
    EXPECT_TRUE(pub.GetEleVal(doc.documentElement(), "nope").isNull());

    QLineEdit edit;
    pub.SetIntLen(&edit, 2);
    QTest::keyClicks(&edit, "1a23");
    EXPECT_EQ(edit.text(), "12");
    QLineEdit amount;
    pub.SetDblLen(&amount, {}, 2);
    QTest::keyClicks(&amount, "12.345x");
    EXPECT_EQ(amount.text(), "12.34");
    QLineEdit big;
    pub.SetDblLen(&big, {}, 4);
    QTest::keyClicks(&big, "1234567890123456.6789");
    EXPECT_EQ(big.text(), "123456789012345.6789") << "a 16th whole digit does not fit";
}
