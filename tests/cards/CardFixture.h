#pragma once

#include "ArchiveSession.h"
#include "ClsCommon.h"
#include "Edit.h"
#include "Login.h"
#include "RecordingPub.h"
#include "RefEdit.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"
#include "ctlAA_Bank.h"
#include "ctlBank.h"

#include <QApplication>
#include <QDomDocument>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

/// Hands text to a control the way an input method commits Chinese.
inline void commitText(QWidget* control, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(control, &commit);
}

/// Types over the whole text of a field, as an input method commits it, with the focus in it.
inline void retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    commitText(field, text);
}

/// The table a card saves into and the set-up its list hands it.
template <typename Card> struct CardTable;
template <> struct CardTable<tarvo::ctlAA_Bank> {
    static constexpr const char* archive = "aa_bank";
    static constexpr const char* keyField = "cBankCode";
    static constexpr const char* initXml = "<aa_bank><HelpContextId>7</HelpContextId></aa_bank>";
};
template <> struct CardTable<tarvo::ctlBank> {
    static constexpr const char* archive = "bank";
    static constexpr const char* keyField = "cBCode";
    static constexpr const char* initXml = "<bank><HelpContextId>9</HelpContextId></bank>";
};

/// A card set up against a real database and the suite's lookups, with the recording public
/// services (or the suite's own, for amounts).
template <typename Card> struct CardFixture : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<RecordingPub> recording = std::make_shared<RecordingPub>();
    std::shared_ptr<tarvo::suite::ClsCommon> db = std::make_shared<tarvo::suite::ClsCommon>();
    tarvo::ComVarPtr comVar = std::make_shared<tarvo::ComVar>();
    QDomDocument style;
    std::unique_ptr<Card> card;

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
        card = std::make_unique<Card>();
        tarvo::ClsCommonPtr srv = db;
        QString xml = QString::fromUtf8(CardTable<Card>::initXml);
        ASSERT_TRUE(card->Init(srv, pub, xml, comVar));
        card->show();
        card->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
    }
    template <typename T> T* child(const char* name) { return card->template findChild<T*>(name); }
    tarvo::suite::Edit* edit(const char* name) { return child<tarvo::suite::Edit>(name); }
    tarvo::suite::RefEdit* ref(const char* name) { return child<tarvo::suite::RefEdit>(name); }
    /// The stored row of the card's table under the key.
    tarvo::RecordsetPtr record(const QString& key) {
        QString sql = QStringLiteral("select * from %1 where %2='%3'")
                          .arg(QLatin1String(CardTable<Card>::archive),
                               QLatin1String(CardTable<Card>::keyField), key);
        return db->OpenX(sql);
    }
    /// Shows the stored row under the key, as the list hands it to the card.
    void fill(const QString& key) {
        tarvo::RecordsetPtr stored = record(key);
        card->FillAllFields(stored);
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

using BankAccountCard = CardFixture<tarvo::ctlBank>;
