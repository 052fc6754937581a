// An accountant's session with the company's bank accounts of the online-banking flavour: two
// accounts added with everything picked from the lookups, a walk, a change, a refused save,
// and leaving; and an English session that reads an account's change history.
#include "AccountDatabase.h"
#include "CardControl.h"
#include "ClsCommon.h"
#include "EndToEnd.h"
#include "FrmHistory.h"
#include "Grid.h"
#include "PrintControl.h"
#include "RefEdit.h"
#include "SuiteContext.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QMap>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tarvo;

namespace {

QDialog* modal(const char* name) {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return d && d->objectName() == name ? d : nullptr;
}
/// No dialog stands over the card (the card itself is modal over the list).
bool noDialog() {
    QWidget* top = QApplication::activeModalWidget();
    return !top || top == card();
}
/// Opens a field's pick list with F2 and takes the first row the filter leaves.
void pickIn(std::vector<Script::Step>& steps, const char* name, const char* filter) {
    steps.push_back({name, [] { return noDialog(); },
                     [name] {
                         card()->activateWindow();
                         field(name)->setFocus();
                         QTest::keyClick(field(name), Qt::Key_F2);
                     }});
    steps.push_back(
        {filter, [] { return modal("ReferDialog") != nullptr; },
         [filter] {
             QDialog* d = modal("ReferDialog");
             d->findChild<QLineEdit*>("ReferFilter")->setText(QString::fromUtf8(filter));
             d->accept();
         }});
}

/// Types an account and picks its bank, currency, region and ledger account.
void addAccount(std::vector<Script::Step>& steps, const char* code, const char* bankFilter,
                const char* county, const char* ledger) {
    steps.push_back({code, [] { return card() && field("EdtcBCode")->text().isEmpty(); },
                     [code] {
                         card()->activateWindow();
                         field("EdtcBCode")->setFocus();
                         QTest::keyClicks(field("EdtcBCode"), code);
                         QTest::keyClicks(field("EdtcBAccount"), QByteArray("6222") + code);
                         commit(field("EdtcBName"), QStringLiteral("端到端开户行") + code);
                     }});
    pickIn(steps, "EdtcCurrencyName", "人民币");
    pickIn(steps, "EdtcBankCode", bankFilter);
    pickIn(steps, "EdtcProvinceName", "广东");
    pickIn(steps, "EdtcCountyName", county);
    steps.push_back({"the ledger button", [] { return noDialog(); },
                     [] { card()->card()->findChild<QToolButton*>("cmdref4")->click(); }});
    steps.push_back({ledger, [] { return modal("AccountCodeReference") != nullptr; },
                     [ledger] {
                         QDialog* d = modal("AccountCodeReference");
                         commit(d->findChild<QLineEdit*>("AccountCodeFind"),
                                QString::fromUtf8(ledger));
                         d->accept();
                     }});
    steps.push_back(
        {"saved", [] { return noDialog() && saveEnabled(); }, [] { press(Qt::Key_F6); }});
}

} // namespace

TEST_F(EndToEnd, AnAccountantKeepsTheOnlineBankingAccounts) {
    FrmMain* list = nullptr;
    QString refusal, lastWalkedTo;
    bool frameShown = false;
    std::vector<Script::Step> steps;
    steps.push_back({"the list", [&] { return (list = visible<FrmMain>()) && settled(*list); },
                     [&] { list->DoCommand("Add"); }});
    steps.push_back(
        {"the card", [&] { return card() && !card()->reading(); },
         [&] { frameShown = !card()->card()->findChild<QWidget*>("frameNB")->isHidden(); }});
    addAccount(steps, "81", "工商", "广州", "工商银行存款");
    addAccount(steps, "82", "建设", "深圳", "建设银行存款");
    steps.push_back({"both saved", [] { return field("EdtcBCode")->text().isEmpty(); },
                     [] { press(Qt::Key_PageDown); }});
    steps.push_back({"walked on", [] { return card()->status() == 2; },
                     [] { press(Qt::Key_PageDown, Qt::AltModifier); }});
    steps.push_back({"at the last account", [] { return field("EdtcBCode")->text() == "82"; },
                     [&] {
                         lastWalkedTo =
                             card()->card()->findChild<suite::RefEdit*>("EdtcBankCode")->text();
                         commit(field("EdtcAccName"), QStringLiteral("改过的账户名称"));
                     }});
    steps.push_back({"a name changed", [] { return saveEnabled(); }, [] { press(Qt::Key_F6); }});
    steps.push_back({"the change saved", [] { return card()->status() == 1; },
                     [] {
                         card()->activateWindow();
                         field("EdtcBCode")->setFocus();
                         QTest::keyClicks(field("EdtcBCode"), "83");
                         press(Qt::Key_F6);
                     }});
    steps.push_back({"the refusal", [] { return messageBox() != nullptr; },
                     [&] {
                         refusal = messageBox()->text();
                         messageBox()->button(QMessageBox::Ok)->click();
                     }});
    steps.push_back({"leaving", [] { return noDialog(); }, [] { card()->close(); }});
    steps.push_back({"the question on leaving", [] { return messageBox() != nullptr; },
                     [] { messageBox()->button(QMessageBox::Yes)->click(); }});
    steps.push_back(
        {"the list again", [] { return !card() && !messageBox(); }, [&] { list->close(); }});
    ASSERT_NO_FATAL_FAILURE(run(std::move(steps), "bank", "NB"));
    EXPECT_TRUE(frameShown);
    EXPECT_EQ(lastWalkedTo, "中国建设银行");
    EXPECT_EQ(refusal, "银行账号不能为空！");
    auto db = suite::AccountDatabase::open(temp.name());
    const auto rows = db->sql().query(
        "select cBCode, cBAccount, cAccName, cCurrencyName, cBankCode, cProvinceName, "
        "cCountyName, cCode, iAccProperty from bank where cBCode in ('81', '82', '83') "
        "order by cBCode");
    ASSERT_EQ(rows.rows.size(), 2);
    QStringList stored;
    for (const auto& row : rows.rows) {
        QStringList values;
        for (const QVariant& v : row)
            values << v.toString();
        stored << values.join(u'|');
    }
    EXPECT_EQ(stored, QStringList({"81|622281||人民币|102|广东省|广州市|100201|2",
                                   "82|622282|改过的账户名称|人民币|105|广东省|深圳市|100202|2"}));
}

namespace {

QString accountXml(const char* bank, const char* ledger, int property, int sign,
                   const char* balance) {
    return QStringLiteral("<Bank><cBCode>H1</cBCode><cBAccount>6222 0001</cBAccount><cAccName>历史"
                          "</cAccName><cCurrencyName>人民币</cCurrencyName><bBflag>0</bBflag>"
                          "<cBName>支行</cBName><cBankCode>%1</cBankCode><cCode>%2</cCode>"
                          "<iAccProperty>%3</iAccProperty><iSignFlag>%4</iSignFlag>"
                          "<fCurBalance>%5</fCurBalance></Bank>")
        .arg(QLatin1String(bank), QLatin1String(ledger))
        .arg(property)
        .arg(sign)
        .arg(QLatin1String(balance));
}

} // namespace

TEST_F(EndToEnd, AnEnglishClerkReadsAnAccountsHistoryAsTheCardAndTheListShowIt) {
    QTemporaryDir dir;
    suite::setSessionLanguage("en-US");
    const auto restore = qScopeGuard([] {
        suite::setSessionLanguage("zh-CN");
        suite::setUnattendedExportPath({});
    });
    {
        QString error;
        suite::setCurrentUser("demo");
        auto db = std::make_shared<suite::ClsCommon>();
        db->Init(temp.name());
        QString xml = accountXml("102", "100201", 0, 1, "1234567.8");
        ASSERT_TRUE(db->Add(xml, "bank", error)) << error.toStdString();
        xml = accountXml("104", "100203", 2, 0, "12345.6");
        ASSERT_TRUE(db->Modify(xml, "bank", error)) << error.toStdString();
    }
    const QString csv = dir.filePath("history.csv");

    FrmMain* list = nullptr;
    QString cardTitle, questionTitle;
    QMessageBox::Icon questionIcon = QMessageBox::NoIcon;
    QMap<QString, QStringList> changed; // field caption: before, after
    QStringList logins;
    QRect historyFrame, room;
    const auto history = [] { return visible<FrmHistory>(); };
    std::vector<Script::Step> steps;
    steps.push_back({"the list", [&] { return (list = visible<FrmMain>()) && settled(*list); },
                     [&] { list->DoCommand("Add"); }});
    steps.push_back({"the card", [] { return card() && !card()->reading(); },
                     [&] {
                         cardTitle = card()->windowTitle();
                         commit(field("EdtcAccName"), QStringLiteral("未保存"));
                         card()->close();
                     }});
    steps.push_back({"the question on leaving", [] { return messageBox() != nullptr; },
                     [&] {
                         questionTitle = messageBox()->windowTitle();
                         questionIcon = messageBox()->icon();
                         messageBox()->button(QMessageBox::Yes)->click();
                     }});
    steps.push_back({"the list again", [] { return !card() && !messageBox(); },
                     [&] {
                         // A list in the screen's far corner: its history must not go off it.
                         room = list->screen()->availableGeometry();
                         list->setGeometry(room.right() - 300, room.bottom() - 200, 640, 400);
                         suite::setUnattendedExportPath(csv);
                         list->DoCommand("History");
                     }});
    steps.push_back({"the history", [&] { return history() != nullptr; },
                     [&] {
                         FrmHistory* w = history();
                         historyFrame = w->frameGeometry();
                         suite::Grid* g = w->grid();
                         for (int r = 1; r < g->Rows(); ++r) {
                             logins << g->TextMatrix(r, FrmHistory::Session);
                             if (!g->TextMatrix(r, FrmHistory::Before).isEmpty())
                                 changed[g->TextMatrix(r, FrmHistory::Field)] = {
                                     g->TextMatrix(r, FrmHistory::Before),
                                     g->TextMatrix(r, FrmHistory::After)};
                         }
                         w->DoCommand("SaveFile");
                         w->close();
                     }});
    steps.push_back({"the export's message", [] { return messageBox() != nullptr; },
                     [] { messageBox()->button(QMessageBox::Ok)->click(); }});
    steps.push_back({"leaving", [&] { return !history(); }, [&] { list->close(); }});
    ASSERT_NO_FATAL_FAILURE(run(std::move(steps), "bank", "NB"));
    EXPECT_EQ(cardTitle, "Add Bank Account") << "one record: singular";
    EXPECT_EQ(questionTitle, "Question");
    EXPECT_EQ(questionIcon, QMessageBox::Question);
    EXPECT_TRUE(room.contains(historyFrame))
        << historyFrame.x() << "," << historyFrame.y() << " " << historyFrame.width() << "x"
        << historyFrame.height();

    const QMap<QString, QStringList> expected{
        {"Bank", {"中国工商银行", "中国银行"}},
        {"Ledger Account", {"100201 工商银行存款", "100203 中国银行存款"}},
        {"Account Property", {"Basic deposit account", "Other account"}},
        {"Signing Flag", {"Check payment accounts only", "Check receiving and payment accounts"}},
        {"Current Balance", {"1,234,567.80", "12,345.60"}}};
    EXPECT_EQ(changed, expected);
    const auto stored = suite::AccountDatabase::open(temp.name())
                            ->sql()
                            .query("select distinct cSessionUser from tarvo_history");
    ASSERT_EQ(stored.rows.size(), 1);
    const QString login0 = stored.rows[0][0].toString();
    EXPECT_FALSE(login0.isEmpty());
    EXPECT_EQ(logins.size(), logins.count(login0)) << "every change names who was logged in";

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    for (const char* shown : {"Basic deposit account", "100203 中国银行存款", "\"1,234,567.80\""})
        EXPECT_TRUE(written.contains(QString::fromUtf8(shown))) << shown << "\n"
                                                                << written.toStdString();
    EXPECT_FALSE(written.contains(",1234567.8,")) << "no stored amounts";
}
