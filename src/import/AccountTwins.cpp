#include "AccountTwins.h"

namespace tarvo {

namespace {

size_t nameAndBank(const QString& name, const QString& bank) {
    return qHashMulti(0, name, bank);
}

/// Rows per query: a request to stop waits for one page at most.
constexpr int kPage = 5000;

} // namespace

size_t AccountTwins::wantNameAndBank(const QString& name, const QString& bank) {
    const size_t asked = nameAndBank(name, bank);
    m_wantedNames.insert(asked);
    return asked;
}

void AccountTwins::wantCode(const QString& code) {
    m_wantedCodes.insert(qHash(code));
}

bool AccountTwins::read(IClsCommon& db, const WorkProgress& progress) {
    m_accounts.clear();
    m_byName.clear();
    m_byCode.clear();
    QString after;
    qint64 seen = 0;
    for (int read = kPage; read == kPage; seen += read) {
        if (!progress.goOn(seen))
            return false;
        QString sql = QStringLiteral("select top %1 cBCode, cBAccount, cAccName, cBankCode from "
                                     "bank where cBCode > ? order by cBCode")
                          .arg(kPage);
        const RecordsetPtr rs = db.OpenXBound(sql, {after});
        if (!rs)
            return false;
        for (read = 0, rs->MoveFirst(); !rs->Eof(); rs->MoveNext(), ++read) {
            Account a{rs->Value(0).toString(), rs->Value(1).toString(), rs->Value(2).toString(),
                      rs->Value(3).toString()};
            after = a.code;
            const size_t named = nameAndBank(a.name, a.bank);
            const bool byName = m_wantedNames.contains(named);
            const bool byCode = m_wantedCodes.contains(qHash(a.code));
            if (!byName && !byCode)
                continue;
            if (byName)
                m_byName.insert(named, int(m_accounts.size()));
            if (byCode)
                m_byCode.insert(a.code, int(m_accounts.size()));
            m_accounts << std::move(a);
        }
    }
    return true;
}

QVector<const AccountTwins::Account*> AccountTwins::withNameAndBank(const QString& name,
                                                                    const QString& bank) const {
    QVector<const Account*> found;
    const size_t named = nameAndBank(name, bank);
    for (auto it = m_byName.constFind(named); it != m_byName.cend() && it.key() == named; ++it) {
        const Account& a = m_accounts[*it];
        if (a.name == name && a.bank == bank)
            found << &a;
    }
    return found;
}

const AccountTwins::Account* AccountTwins::withCode(const QString& code) const {
    const auto it = m_byCode.constFind(code);
    return it == m_byCode.cend() ? nullptr : &m_accounts[*it];
}

} // namespace tarvo
