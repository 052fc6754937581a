#pragma once

#include "ILedger.h"

namespace tarvo::suite {

class ClsCommon;

/// "MoxDbKit.MoxDatabase": a connection to the accounting database.
class MoxDatabase : public IMoxDatabase {
public:
    bool OpenDatabase(const QString& name, bool exclusive, bool readOnly,
                      const QString& connect) override;
    std::shared_ptr<ClsCommon> connection() const { return m_db; }

private:
    std::shared_ptr<ClsCommon> m_db;
};

/// "ZzPub.clsPub": the general ledger's session of one user in one account and year.
class LedgerPub : public ILedgerPub {
public:
    void setoLogin(const LoginPtr& login) override { m_login = login; }
    bool InitPubs2(const QString& subsystem, const QString& systemDb, MoxDatabasePtr& db,
                   const QString& accId, qint16 year, const QString& userId, const QDate& date,
                   const QString& password) override;
    ViewAboutPtr ViewVar() const override { return m_view; }
    void setViewVar(const ViewAboutPtr& view) override { m_view = view; }

    std::shared_ptr<ClsCommon> connection() const;

private:
    LoginPtr m_login;
    MoxDatabasePtr m_db;
    ViewAboutPtr m_view = std::make_shared<ViewAbout>();
};

/// "KmRef.clsKmRef": the account-code reference over the chart of accounts.
class KmRef : public IKmRef {
public:
    void setNewLogIn(const LoginPtr& login) override { m_login = login; }
    void setNewZwPub(const LedgerPubPtr& pub) override { m_pub = pub; }
    void RefDirect() override {}
    void DRSetAttrib(ViewAboutPtr& view) override { m_view = view; }
    void DRReference() override;
    void DRGetAttrib(ViewAboutPtr& view) override { view = m_view; }

private:
    LoginPtr m_login;
    LedgerPubPtr m_pub;
    ViewAboutPtr m_view = std::make_shared<ViewAbout>();
};

} // namespace tarvo::suite
