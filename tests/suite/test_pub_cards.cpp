#include "ClsCommon.h"
#include "Edit.h"
#include "Pub.h"
#include "SuiteContext.h"
#include "TempDatabase.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace tarvo;

namespace {

/// Runs call while a timer of this scope answers the first modal box with act; reports
/// whether a box came up at all. The timer dies with the scope, so an answer meant for a box
/// that never opened cannot reach a later test.
bool answeringBox(const std::function<void(QMessageBox*)>& act, const std::function<void()>& call) {
    bool shown = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = true;
        act(box);
        if (box->isVisible())
            box->reject();
    });
    timer.start(0);
    call();
    return shown;
}

} // namespace

TEST(PubCards, ControlsTakeTheirDesignRectangleFromTwipsAtTheScreensDensity) {
    suite::Pub pub;
    QWidget card;
    auto* placed = new QLineEdit(&card);
    placed->setProperty("tarvo.twips", QRect(1440, 720, 2880, 300));
    auto* free = new QLabel(&card);
    free->setGeometry(5, 6, 70, 20);
    pub.SetConPosition({placed, free, nullptr});
    EXPECT_EQ(free->geometry(), QRect(5, 6, 70, 20)) << "no design rectangle, no move";

    if (placed->logicalDpiX() != 96 || placed->logicalDpiY() != 96)
        GTEST_SKIP() << "the screen is not at 96 dpi";
    EXPECT_EQ(placed->geometry(), QRect(96, 48, 192, 20)) << "15 twips to a pixel";
}

TEST(PubCards, LabelsNamedForAFieldTakeItsCaptionFromTheCardsTable) {
    TempDatabase temp;
    auto srv = std::make_shared<suite::ClsCommon>();
    srv->Init(temp.name());
    ASSERT_TRUE(srv->Status());
    ClsCommonPtr db = srv;
    suite::Pub pub;

    QWidget card;
    auto* bankCode = new QLabel("x", &card);
    bankCode->setObjectName("LblcBankCode");
    auto* account = new QLabel("x", &card);
    account->setObjectName("LBLcBAccount");
    auto* unknown = new QLabel("旧标题", &card);
    unknown->setObjectName("lblNoSuchField");
    auto* other = new QLabel("旧标题", &card);
    other->setObjectName("Label1");
    auto* box = new QCheckBox("旧标题", &card);
    box->setObjectName("lblbBflag");
    const ControlList controls{bankCode, account, unknown, other, box, nullptr};

    pub.SetLabelCaption(db, controls, "Bank_NB");
    EXPECT_EQ(bankCode->text(), "所属银行") << "cBankCode as the bank table captions it";
    EXPECT_EQ(account->text(), "银行账号");
    EXPECT_EQ(unknown->text(), "旧标题");
    EXPECT_EQ(other->text(), "旧标题");
    EXPECT_EQ(box->text(), "旧标题") << "only labels";

    pub.SetLabelCaption(db, controls, "AA_Bank");
    EXPECT_EQ(bankCode->text(), "银行编码") << "the same field of the bank archive";
    EXPECT_EQ(account->text(), "银行账号") << "aa_bank has no such field";

    suite::setSessionLanguage("en-US");
    pub.SetLabelCaption(db, controls, "aa_bank");
    suite::setSessionLanguage("zh-CN");
    EXPECT_EQ(bankCode->text(), "Bank Code");

    pub.SetLabelCaption(db, controls, "Nothing_NB");
    EXPECT_EQ(bankCode->text(), "Bank Code") << "no table, no change";
    ClsCommonPtr none;
    pub.SetLabelCaption(none, controls, "Bank_NB");
    EXPECT_EQ(bankCode->text(), "Bank Code");
}

TEST(PubCards, CheckValidFinishesHalfTypedAmounts) {
    suite::Pub pub;
    struct Case {
        const char* typed;
        const char* finished;
    };
    const Case cases[] = {
        {"12.", "12"},   {"-", ""},           {".5", "0.5"},          {"-.5", "-0.5"},
        {"1,23", "123"}, {"1,234.", "1,234"}, {"1,234.5", "1,234.5"}, {"-0.25", "-0.25"},
    };
    for (const Case& c : cases) {
        QLineEdit amount;
        pub.SetDblLen(&amount, {}, 2);
        QTest::keyClicks(&amount, c.typed);
        ASSERT_EQ(amount.text(), c.typed) << "the edit lets it be typed";
        pub.CheckValid(&amount);
        EXPECT_EQ(amount.text(), c.finished) << c.typed;
        EXPECT_TRUE(amount.hasAcceptableInput()) << c.typed;
    }

    QLineEdit plain;
    plain.setText("12.");
    pub.CheckValid(&plain);
    EXPECT_EQ(plain.text(), "12.") << "no validator, nothing to check against";
    pub.CheckValid(nullptr);
}

TEST(PubCards, OnlyKeysThatChangeTheControlsValueCount) {
    suite::Pub pub;
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* readOnly = new QLineEdit(&window);
    readOnly->setReadOnly(true);
    auto* disabled = new QLineEdit(&window);
    disabled->setEnabled(false);
    auto* check = new QCheckBox(&window);
    auto* radio = new QRadioButton(&window);
    auto* combo = new QComboBox(&window);
    combo->addItems({"基本存款账户", "一般存款账户"});
    auto* editableCombo = new QComboBox(&window);
    editableCombo->setEditable(true);
    auto* button = new QPushButton(&window);
    auto* suiteEdit = new suite::Edit(&window);

    struct Case {
        QWidget* control;
        int key;
        int shift;
        bool changes;
        const char* what;
    };
    const Case cases[] = {
        {edit, 65, 0, true, "a letter"},
        {edit, 48, 0, true, "a digit"},
        {edit, 32, 0, true, "space"},
        {edit, 105, 0, true, "numeric pad 9"},
        {edit, 189, 0, true, "minus"},
        {edit, 8, 0, true, "Backspace"},
        {edit, 46, 0, true, "Delete"},
        {edit, 86, 2, true, "Ctrl+V"},
        {edit, 88, 2, true, "Ctrl+X"},
        {edit, 45, 1, true, "Shift+Insert"},
        {edit, 67, 2, false, "Ctrl+C"},
        {edit, 65, 2, false, "Ctrl+A"},
        {edit, 86, 4, false, "Alt+V"},
        {edit, 45, 2, false, "Ctrl+Insert copies"},
        {edit, 37, 0, false, "Left"},
        {edit, 13, 0, false, "Enter"},
        {readOnly, 65, 0, false, "read-only edit"},
        {disabled, 65, 0, false, "disabled edit"},
        {check, 32, 0, true, "Space ticks a check box"},
        {check, 65, 0, false, "a letter on a check box"},
        {radio, 32, 0, true, "Space on a radio button"},
        {combo, 40, 0, true, "Down picks the next item"},
        {combo, 34, 0, true, "PageDown"},
        {combo, 40, 4, false, "Alt+Down only opens the list"},
        {combo, 66, 0, true, "a letter picks an item"},
        {combo, 8, 0, false, "Backspace on a fixed list"},
        {editableCombo, 8, 0, true, "Backspace in an editable list"},
        {button, 32, 0, false, "a push button changes nothing"},
        {suiteEdit, 65, 0, false, "the suite's edit reports its own changes"},
        {suiteEdit, 86, 2, false, "a paste into the suite's edit may be refused"},
        {nullptr, 65, 0, false, "no control"},
    };
    for (const Case& c : cases) {
        int key = c.key, shift = c.shift;
        EXPECT_EQ(pub.ConKeyDown(c.control, key, shift), c.changes) << c.what;
    }
}

TEST(PubCards, WindowKeysGoToTheFocusedControlOfThatWindow) {
    suite::Pub pub;
    QWidget card;
    auto* edit = new QLineEdit(&card);
    auto* check = new QCheckBox(&card);
    card.show();
    card.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    check->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), check);

    int space = 32, letter = 65, none = 0;
    EXPECT_TRUE(pub.FrmKeyDown(&card, space, none));
    EXPECT_FALSE(pub.FrmKeyDown(&card, letter, none));
    edit->setFocus();
    EXPECT_TRUE(pub.FrmKeyDown(&card, letter, none));

    // Another window has the keyboard: the card's own focus widget still answers for it.
    QWidget other;
    auto* otherCheck = new QCheckBox(&other);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    otherCheck->setFocus();
    EXPECT_TRUE(pub.FrmKeyDown(&card, letter, none)) << "the card's edit, not the check box";
    EXPECT_FALSE(pub.FrmKeyDown(nullptr, letter, none));
}

TEST(PubCards, MatchConditionEscapesTheTypedTextAndStandsAfterAnd) {
    suite::Pub pub;
    QLineEdit edit;
    QString result, table = "aa_bank";
    const QString columns = " cBankCode , cBankName";

    edit.setText("   ");
    pub.CreateMatchStr(&edit, columns, result, table);
    EXPECT_EQ(result, "(1=1)");
    edit.setText(" 工商 ");
    pub.CreateMatchStr(&edit, columns, result, table);
    EXPECT_EQ(result,
              "(cBankCode like '%工商%' ESCAPE '\\' or cBankName like '%工商%' ESCAPE '\\')");
    edit.setText("a'b_%\\");
    pub.CreateMatchStr(&edit, "cBankCode", result, table);
    EXPECT_EQ(result, "(cBankCode like '%a''b\\_\\%\\\\%' ESCAPE '\\')");
    pub.CreateMatchStr(nullptr, columns, result, table);
    EXPECT_EQ(result, "(1=1)");

    // The engines must read the condition as the user meant it.
    TempDatabase temp;
    suite::ClsCommon db;
    db.Init(temp.name());
    ASSERT_TRUE(db.Status());
    db.database()->sql().exec("INSERT INTO aa_bank (cBankCode, cBankName) VALUES (?, ?)",
                              {QStringLiteral("a'b"), QStringLiteral("50% 银行")});
    const auto matches = [&](const QString& text, const QString& before = "1=1") {
        edit.setText(text);
        pub.CreateMatchStr(&edit, columns, result, table);
        QString sql = "select * from aa_bank where " + before + " and " + result;
        const RecordsetPtr rs = db.OpenX(sql);
        return rs ? int(rs->RecordCount()) : -1;
    };
    EXPECT_EQ(matches("a'b"), 1);
    EXPECT_EQ(matches("10_"), 0) << "_ is a character, not a wildcard";
    EXPECT_EQ(matches("50%"), 1) << "% is a character, not a wildcard";
    EXPECT_EQ(matches("中国工商银行"), 1);
    EXPECT_EQ(matches("中国工商银行", "cBankCode <> '102'"), 0)
        << "the alternatives stay inside the condition that follows and";
    EXPECT_EQ(matches("A'B"), 1) << "without regard to case";
}

TEST(PubCards, LeavingACardAsksOnlyWhenThereIsSomethingUnsaved) {
    suite::Pub pub;
    QWidget card;
    auto* save = new QAction("保存", &card);
    save->setObjectName("SaveRs");
    save->setEnabled(false);
    bool cancel = false;
    bool result = false;

    const bool asked =
        answeringBox([](QMessageBox*) {}, [&] { result = pub.isSaveRs(&card, &cancel, nullptr); });
    EXPECT_FALSE(asked);
    EXPECT_TRUE(result);

    save->setEnabled(true);
    QString text, name, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    EXPECT_TRUE(answeringBox(
        [&](QMessageBox* box) {
            text = box->text();
            name = box->objectName();
            title = box->windowTitle();
            icon = box->icon();
            box->button(QMessageBox::Yes)->click();
        },
        [&] { result = pub.isSaveRs(&card, &cancel, nullptr); }));
    EXPECT_TRUE(result) << "Yes discards the changes";
    EXPECT_FALSE(cancel);
    EXPECT_EQ(text, "当前记录已修改，尚未保存。是否放弃修改？");
    EXPECT_EQ(name, "PubMsgBox");
    EXPECT_EQ(icon, QMessageBox::Question) << "a question, not a warning";
    EXPECT_EQ(title, "提问");

    answeringBox([](QMessageBox* box) { box->button(QMessageBox::No)->click(); },
                 [&] { result = pub.isSaveRs(&card, &cancel, nullptr); });
    EXPECT_FALSE(result);
    EXPECT_TRUE(cancel) << "closing stops";

    answeringBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); },
                 [&] { result = pub.isSaveRs(&card, nullptr, nullptr); });
    EXPECT_FALSE(result) << "Enter keeps the changes";

    QWidget bare;
    EXPECT_TRUE(pub.isSaveRs(&bare, &cancel, nullptr)) << "a window without a save action";
}
