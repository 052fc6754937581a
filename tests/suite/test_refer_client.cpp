#include "AccountDatabase.h"
#include "ClassRegistry.h"
#include "ClsCommon.h"
#include "Login.h"
#include "ReferClient.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace tarvo;

namespace {

/// What the pick list showed, read while it was open.
struct Seen {
    bool shown = false;
    QString title;
    QStringList headers;
    int rows = -1;
    QString count;
    QStringList firstColumn;
};

class ReferClientTest : public ::testing::Test {
protected:
    TempDatabase temp;
    LoginPtr login;
    suite::ReferClient client;

    void SetUp() override {
        suite::LoginInfo info;
        info.dbName = temp.name();
        info.userId = "demo";
        login = std::make_shared<suite::Login>(info);
    }

    bool init(QString table, QString condition) {
        return client.EnumRefInit(login, 0, false, table, condition);
    }

    /// Shows the pick list and works it with act, which must close it; a dialog act leaves open
    /// is cancelled so that a failing test cannot hang in the modal loop.
    Seen show(const std::function<void(QDialog*, QTableView*)>& act) {
        Seen seen;
        // A timer of this scope: when no dialog opens it dies unfired, instead of firing into
        // the next test's dialog.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen.shown = true;
            auto* view = dialog->findChild<QTableView*>("ReferRows");
            if (view) {
                seen.title = dialog->windowTitle();
                const auto* model = view->model();
                for (int c = 0; c < model->columnCount(); ++c)
                    seen.headers << model->headerData(c, Qt::Horizontal).toString();
                if (auto* count = dialog->findChild<QLabel*>("ReferCount"))
                    seen.count = count->text();
                act(dialog, view);
                seen.rows = view->model()->rowCount();
                for (int r = 0; r < seen.rows; ++r)
                    seen.firstColumn << model->index(r, 0).data().toString();
            }
            if (dialog->isVisible())
                dialog->reject();
        });
        timer.start(0);
        client.Show();
        return seen;
    }

    /// The record set the component would read: a clone of recmx with recmx's filter.
    RecordsetPtr chosenRows() const {
        const RecordsetPtr rs = client.recmx();
        if (!rs)
            return nullptr;
        RecordsetPtr rows = rs->Clone();
        rows->setFilter(rs->Filter());
        return rows;
    }
};

/// Index of the row whose column holds text, in the view's current order; invalid if none.
QModelIndex rowWith(QTableView* view, int column, const QString& text) {
    const auto* model = view->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, column).data().toString() == text)
            return model->index(r, column);
    }
    return {};
}

void click(QTableView* view, const QModelIndex& index, Qt::KeyboardModifiers mods = {}) {
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, view->visualRect(index).center());
}

/// Chinese text arrives from an input method as a committed string, not as key presses.
void typeThroughInputMethod(QWidget* edit, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
}

void clickButton(QDialog* dialog, const char* name) {
    if (auto* button = dialog->findChild<QPushButton*>(name))
        QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

TEST_F(ReferClientTest, RefusesTablesOutsideTheDictionaryAndConditionsTheDatabaseRejects) {
    EXPECT_FALSE(init("no_such_table", ""));
    EXPECT_FALSE(init("aa_bank; delete from bank", "")) << "only a dictionary table goes in";
    EXPECT_FALSE(init("aa_bank", "no_such_column = 1"));
    EXPECT_FALSE(init("aa_bank", "cBankCode = '102"));
    LoginPtr none;
    QString table = "aa_bank", condition;
    EXPECT_FALSE(client.EnumRefInit(none, 0, false, table, condition));

    const Seen seen = show([](QDialog* d, QTableView*) { d->accept(); });
    EXPECT_FALSE(seen.shown) << "nothing prepared, nothing to show";
    EXPECT_EQ(client.recmx(), nullptr);
}

TEST_F(ReferClientTest, TheConditionLimitsTheRowsWhichComeInKeyOrderUnderDictionaryCaptions) {
    ASSERT_TRUE(init("HR_CT007", " ilevels=0 "));
    const Seen seen = show([](QDialog* d, QTableView*) { clickButton(d, "CancelButton"); });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.rows, 34) << "the provinces, autonomous regions and municipalities";
    EXPECT_EQ(seen.title, "参照 - 行政区划");
    EXPECT_EQ(seen.headers, QStringList({"行政区划代码", "名称", "上级代码", "级次"}));
    EXPECT_EQ(seen.count, "共 34 条记录");
    ASSERT_FALSE(seen.firstColumn.isEmpty());
    EXPECT_EQ(seen.firstColumn.first(), "110000");
    QStringList sorted = seen.firstColumn;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(seen.firstColumn, sorted);
    EXPECT_EQ(client.recmx(), nullptr) << "cancelled";

    ASSERT_TRUE(init("hr_ct007", " ilevels=0  and (ccodeid like '%32%' or vdescription like "
                                 "'%32%')"));
    EXPECT_EQ(show([](QDialog* d, QTableView*) { d->reject(); }).rows, 1);
}

TEST_F(ReferClientTest, CaptionsFollowTheSessionLanguage) {
    suite::setSessionLanguage("en-US");
    const bool ok = init("foreigncurrency", "");
    const Seen seen = show([](QDialog* d, QTableView*) { d->reject(); });
    suite::setSessionLanguage("zh-CN");
    ASSERT_TRUE(ok);
    EXPECT_EQ(seen.title, "Reference - Currencies");
    ASSERT_GE(seen.headers.size(), 3);
    EXPECT_EQ(seen.headers.mid(0, 3),
              QStringList({"Currency ID", "Currency Code", "Currency Name"}));
    EXPECT_TRUE(seen.count.endsWith(" records")) << seen.count.toStdString();
}

TEST_F(ReferClientTest, TypingNarrowsTheRowsOnAnyColumnWithoutRegardToCase) {
    ASSERT_TRUE(init("hr_ct007", "ilevels = 0"));
    QString narrowed;
    const Seen seen = show([&](QDialog* d, QTableView*) {
        typeThroughInputMethod(d->findChild<QLineEdit*>("ReferFilter"), "江");
        narrowed = d->findChild<QLabel*>("ReferCount")->text();
        d->reject();
    });
    EXPECT_EQ(seen.rows, 4) << "黑龙江省, 江苏省, 浙江省, 江西省";
    EXPECT_EQ(narrowed, "显示 4 条，共 34 条记录");

    ASSERT_TRUE(init("foreigncurrency", ""));
    const Seen byName = show([](QDialog* d, QTableView*) {
        QTest::keyClicks(d->findChild<QLineEdit*>("ReferFilter"), "NEXT DAY");
        d->reject();
    });
    EXPECT_EQ(byName.rows, 1) << "the English name, typed in upper case";

    // The narrowed list keeps its first row chosen, so Enter takes it at once.
    const Seen byCode = show([](QDialog* d, QTableView*) {
        auto* filter = d->findChild<QLineEdit*>("ReferFilter");
        QTest::keyClicks(filter, "usd");
        QTest::keyClick(filter, Qt::Key_Return);
    });
    const RecordsetPtr rows = chosenRows();
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->Value("cexch_code").toString(), "USD");
    ASSERT_EQ(byCode.firstColumn.size(), 1);
    EXPECT_EQ(client.recmx()->Filter(), "i_id = " + byCode.firstColumn.first())
        << "an integer key stands unquoted";
}

TEST_F(ReferClientTest, NumericCurrencyCodesShowAllThreeDigitsAndAreFoundSo) {
    ASSERT_TRUE(init("foreigncurrency", ""));
    QStringList shown;
    int found = -1;
    const Seen seen = show([&](QDialog* d, QTableView* view) {
        const auto* model = view->model();
        int numeric = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal).toString() == "数字代码")
                numeric = c;
        for (const char* code : {"ALL", "AMD", "ARS", "CNY"}) {
            const QModelIndex at = rowWith(view, 1, code);
            shown << (at.isValid() && numeric >= 0
                          ? model->index(at.row(), numeric).data().toString()
                          : QString());
        }
        QTest::keyClicks(d->findChild<QLineEdit*>("ReferFilter"), "051");
        found = model->rowCount();
        d->reject();
    });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(shown, QStringList({"008", "051", "032", "156"}));
    EXPECT_EQ(found, 1) << "the Armenian dram, by its code as printed";
}

TEST_F(ReferClientTest, ABankAnotherClerkAddsShowsInTheNextPickListWholeOrNarrowed) {
    const auto shows = [&](const QString& condition) {
        bool found = false;
        EXPECT_TRUE(init("aa_bank", condition));
        show([&](QDialog* d, QTableView* view) {
            found = rowWith(view, 0, "777").isValid();
            d->reject();
        });
        return found;
    };
    const QString narrowed = "cBankCode like '7%'";
    ASSERT_FALSE(shows(""));
    ASSERT_FALSE(shows(narrowed));
    suite::AccountDatabase::open(temp.name())
        ->sql()
        .exec("insert into aa_bank (cBankCode, cBankName) values ('777', '测试七行')");
    // A server's notice of the change travels on its own.
    bool whole = shows("");
    for (int i = 0; i < 100 && !whole; ++i) {
        QThread::msleep(20);
        whole = shows("");
    }
    EXPECT_TRUE(whole);
    EXPECT_TRUE(shows(narrowed));
}

TEST_F(ReferClientTest, OkSelectsExactlyTheChosenRowByItsKey) {
    ASSERT_TRUE(init("aa_bank", ""));
    show([](QDialog* d, QTableView* view) {
        click(view, rowWith(view, 0, "104"));
        clickButton(d, "OkButton");
    });
    ASSERT_NE(client.recmx(), nullptr);
    EXPECT_EQ(client.recmx()->Filter(), "cBankCode = '104'");
    RecordsetPtr rows = chosenRows();
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->Value("cBankName").toString(), "中国银行");
    EXPECT_GT(client.recmx()->Clone()->RecordCount(), 1) << "recmx holds every offered row";

    show([](QDialog*, QTableView* view) {
        const QModelIndex at = rowWith(view, 0, "102");
        // A real double-click presses first; the widget overload of mouseDClick does not.
        click(view, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at).center());
    });
    rows = chosenRows();
    ASSERT_NE(rows, nullptr) << "a double-click takes the row";
    EXPECT_EQ(rows->Value("cBankCode").toString(), "102");

    show([](QDialog*, QTableView* view) { QTest::keyClick(view, Qt::Key_Escape); });
    EXPECT_EQ(client.recmx(), nullptr) << "Esc drops the earlier choice";
}

TEST_F(ReferClientTest, CtrlClickChoosesSeveralRows) {
    ASSERT_TRUE(init("aa_bank", ""));
    show([](QDialog* d, QTableView* view) {
        click(view, rowWith(view, 0, "102"));
        click(view, rowWith(view, 0, "104"), Qt::ControlModifier);
        clickButton(d, "OkButton");
    });
    const RecordsetPtr rows = chosenRows();
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->RecordCount(), 2);
    EXPECT_EQ(client.recmx()->Filter(), "cBankCode = '102' or cBankCode = '104'");
}

TEST_F(ReferClientTest, AKeyOfSeveralFieldsSelectsByAllOfThem) {
    ASSERT_TRUE(init("AccInformation", ""));
    show([](QDialog* d, QTableView* view) {
        QTest::keyClicks(d->findChild<QLineEdit*>("ReferFilter"), "iStrsPriDecDgt");
        click(view, rowWith(view, 0, "ST"));
        clickButton(d, "OkButton");
    });
    ASSERT_NE(client.recmx(), nullptr);
    EXPECT_EQ(client.recmx()->Filter(),
              "(cSysID = 'ST' and cID = '2' and cName = 'iStrsPriDecDgt')");
    const RecordsetPtr rows = chosenRows();
    ASSERT_EQ(rows->RecordCount(), 1) << "the same name under another system stays out";
    EXPECT_EQ(rows->Value("cCaption").toString(), "存货单价小数位数");
}

TEST_F(ReferClientTest, AKeyWithAnApostropheRoundTrips) {
    {
        suite::ClsCommon db;
        db.Init(temp.name());
        ASSERT_TRUE(db.Status());
        db.database()->sql().exec("INSERT INTO aa_bank (cBankCode, cBankName) VALUES (?, ?)",
                                  {QStringLiteral("a'b"), QStringLiteral("O'Neil 银行")});
    }
    ASSERT_TRUE(init("aa_bank", "cBankName like '%''%'"));
    const Seen seen = show([](QDialog* d, QTableView*) {
        QTest::keyClicks(d->findChild<QLineEdit*>("ReferFilter"), "a'b");
        clickButton(d, "OkButton");
    });
    EXPECT_EQ(seen.rows, 1);
    ASSERT_NE(client.recmx(), nullptr);
    EXPECT_EQ(client.recmx()->Filter(), "cBankCode = 'a''b'");
    const RecordsetPtr rows = chosenRows();
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->Value("cBankName").toString(), "O'Neil 银行");
}

TEST(ReferClientRegistration, TheSuiteRegistersThePickListUnderItsProgId) {
    suite::registerSuiteClasses();
    EXPECT_NE(createObject<IReferClient>("MoxReferC.MoxReferClient"), nullptr);
}
