#pragma once
// Bank accounts for tests that print or export a whole list: one full row per account, with
// the fields the tests vary and a Beijing branch of bank 102 for the rest.
#include "AccountDatabase.h"

#include <QList>
#include <QString>

namespace tarvo {

struct SampleAccount {
    QString code;
    QString number;
    QString name;
    double balance = 0;
    int suspended = 0; // bBflag
    int property = 0;  // iAccProperty
    int signing = 0;   // iSignFlag
};

/// Replaces the accounts of the database dbName by the given ones.
inline void storeSampleAccounts(const QString& dbName, const QList<SampleAccount>& accounts) {
    auto db = suite::AccountDatabase::open(dbName);
    suite::Transaction tx(db->sql());
    db->sql().exec("DELETE FROM bank");
    for (const SampleAccount& a : accounts)
        db->sql().exec(
            "INSERT INTO bank (cBCode, cBAccount, cAccName, dOpenAccDate, cCurrencyName, bBflag, "
            "bPwdMng, cBName, cBankCode, cProvinceName, cCountyName, cOpenAccAddr, fCurBalance, "
            "cCode, iAccProperty, iSignFlag) VALUES (?, ?, ?, '2024-01-31', '人民币', ?, 0, "
            "'中国工商银行北京海淀支行', '102', '北京市', '海淀区', '北京市海淀区示例路1号', ?, "
            "'100201', ?, ?)",
            {a.code, a.number, a.name, a.suspended, a.balance, a.property, a.signing});
    tx.commit();
}

} // namespace tarvo
