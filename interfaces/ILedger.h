#pragma once

#include "ILogin.h"

#include <QDate>
#include <QString>

namespace tarvo {

/// The view record of the general ledger ("ZzPub.clsViewAbout"): what a ledger reference
/// starts from and what it hands back.
struct ViewAbout : HostObject {
    QString Viewpara1;     ///< in: the text typed
    bool Isreturn = false; ///< out: a row was chosen
    QString Viewreturn1;   ///< out: the account code
    QString Viewreturn2;   ///< out: the account name
};
using ViewAboutPtr = std::shared_ptr<ViewAbout>;

/// The general ledger's database object ("MoxDbKit.MoxDatabase").
class IMoxDatabase : public HostObject {
public:
    /// Opens the accounting database; False when it cannot be opened.
    virtual bool OpenDatabase(const QString& name, bool exclusive, bool readOnly,
                              const QString& connect) = 0;
};
using MoxDatabasePtr = std::shared_ptr<IMoxDatabase>;

/// The general ledger's public object ("ZzPub.clsPub").
class ILedgerPub : public HostObject {
public:
    virtual void setoLogin(const LoginPtr& login) = 0;
    /// Sets the object up for a subsystem over an opened database; False when it cannot.
    virtual bool InitPubs2(const QString& subsystem, const QString& systemDb, MoxDatabasePtr& db,
                           const QString& accId, qint16 year, const QString& userId,
                           const QDate& date, const QString& password) = 0;
    virtual ViewAboutPtr ViewVar() const = 0;
    virtual void setViewVar(const ViewAboutPtr& view) = 0;
};
using LedgerPubPtr = std::shared_ptr<ILedgerPub>;

/// The general ledger's account-code reference ("KmRef.clsKmRef").
class IKmRef : public HostObject {
public:
    virtual void setNewLogIn(const LoginPtr& login) = 0;
    virtual void setNewZwPub(const LedgerPubPtr& pub) = 0;
    /// The reference works on its own, not inside a ledger window.
    virtual void RefDirect() = 0;
    virtual void DRSetAttrib(ViewAboutPtr& view) = 0;
    /// Shows the chart of accounts for the user to pick an end-level account.
    virtual void DRReference() = 0;
    virtual void DRGetAttrib(ViewAboutPtr& view) = 0;
};
using KmRefPtr = std::shared_ptr<IKmRef>;

} // namespace tarvo
