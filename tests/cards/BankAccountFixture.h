#pragma once

#include "ArchiveSession.h"
#include "ClsCommon.h"
#include "Edit.h"
#include "Login.h"
#include "RecordingPub.h"
#include "RefEdit.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"
#include "ctlBank.h"

#include <QApplication>
#include <QDomDocument>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

/// Hands text to a control the way an input method commits Chinese.
inline void commitText(QWidget* control, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(control, &commit);
}

/// A bank-account card set up against a real database and the suite's lookups, with the
/// recording public services (or the suite's own, for amounts).
struct BankAccountCard : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<RecordingPub> recording = std::make_shared<RecordingPub>();
    std::shared_ptr<tarvo::suite::ClsCommon> db = std::make_shared<tarvo::suite::ClsCommon>();
    tarvo::ComVarPtr comVar = std::make_shared<tarvo::ComVar>();
    QDomDocument style;
    std::unique_ptr<tarvo::ctlBank> card;

    void SetUp() override {
        tarvo::suite::registerSuiteClasses();
        db->Init(temp.name());
        QString error;
        tarvo::ArchiveSession& s = tarvo::ArchiveSession::current();
        s.oLogin = tarvo::suite::Login::logIn(temp.name(), "demo", error);
        ASSERT_TRUE(s.oLogin) << error.toStdString();
        s.SrvDB = db;
        style.setContent(QStringLiteral("<style><fcurbalance>2</fcurbalance></style>"));
        comVar->m_EleStyle = style.documentElement();
    }
    void TearDown() override {
        card.reset();
        tarvo::ArchiveSession::current() = tarvo::ArchiveSession();
    }
    /// Opens the card for the system id, over the given public services.
    void open(const QString& sysId = QStringLiteral("NB"), tarvo::PubPtr pub = nullptr) {
        if (!pub)
            pub = recording;
        tarvo::ArchiveSession::current().oPub = pub;
        tarvo::ArchiveSession::current().sSysId = sysId;
        card = std::make_unique<tarvo::ctlBank>();
        tarvo::ClsCommonPtr srv = db;
        QString xml = QStringLiteral("<bank><HelpContextId>9</HelpContextId></bank>");
        ASSERT_TRUE(card->Init(srv, pub, xml, comVar));
        card->show();
        card->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
    }
    template <typename T> T* child(const char* name) { return card->findChild<T*>(name); }
    tarvo::suite::Edit* edit(const char* name) { return child<tarvo::suite::Edit>(name); }
    tarvo::suite::RefEdit* ref(const char* name) { return child<tarvo::suite::RefEdit>(name); }
    tarvo::RecordsetPtr account(const QString& code) {
        QString sql = "select * from bank where cBCode='" + code + "'";
        return db->OpenX(sql);
    }
    void exec(const QString& statement, const QVariantList& params = {}) {
        db->database()->sql().exec(statement, params);
    }
    /// The information messages shown so far, as their texts.
    QStringList messages() const {
        QStringList out;
        for (const QString& call : recording->callsOf("MsgBox"))
            out << call.section(u'(', 1).section(u',', 0, 0);
        return out;
    }
};
