// An accountant's session with the company's bank accounts of the online-banking flavour: two
// accounts added with everything picked from the lookups, a walk, a change, a refused save,
// and leaving.
#include "AccountDatabase.h"
#include "CardControl.h"
#include "ClassRegistry.h"
#include "ComponentHarness.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "FrmZAM.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "RefEdit.h"
#include "Script.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

template <typename T> T* visible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            return t;
    return nullptr;
}

FrmZAM* card() {
    return visible<FrmZAM>();
}
suite::Edit* field(const char* name) {
    return card()->card()->findChild<suite::Edit*>(name);
}
bool saveEnabled() {
    return card()->findChild<QAction*>("SaveRs")->isEnabled();
}
QDialog* modal(const char* name) {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return d && d->objectName() == name ? d : nullptr;
}
/// No dialog stands over the card (the card itself is modal over the list).
bool noDialog() {
    QWidget* top = QApplication::activeModalWidget();
    return !top || top == card();
}
QMessageBox* messageBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}
void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    card()->activateWindow();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : card(), key, mods);
}
void commit(QWidget* control, const QString& text) {
    control->setFocus();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(control, &event);
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

TEST(EndToEnd, AnAccountantKeepsTheOnlineBankingAccounts) {
    TempDatabase temp;
    suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();
    QString error;
    auto login = suite::Login::logIn(temp.name(), "demo", error);
    ASSERT_TRUE(login) << error.toStdString();

    FrmMain* list = nullptr;
    QString refusal, lastWalkedTo;
    bool frameShown = false;
    std::vector<Script::Step> steps;
    steps.push_back({"the list", [&] { return (list = visible<FrmMain>()) && settled(*list); },
                     [&] { list->DoCommand("Add"); }});
    steps.push_back(
        {"the card", [&] { return card() != nullptr; },
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
    Script script(std::move(steps));

    auto component = createObject<ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");

    ASSERT_TRUE(script.finished()) << "stopped waiting on " << script.waitingOn();
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
