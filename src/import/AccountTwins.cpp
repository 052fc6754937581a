#include "AccountTwins.h"

#include "AdoTypes.h"

namespace tarvo {

namespace {

size_t nameAndBank(const QString& name, const QString& bank) {
    return qHashMulti(0, name, bank);
}

/// Rows handed on at a time: a request to stop waits for one chunk at most.
constexpr int kChunk = 5000;
/// Longer than any of the four columns holds.
constexpr int kTextSize = 255;

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
    // One statement whose rows come as the server sends them: a statement per page would
    // cost a server a round trip for every few thousand accounts.
    QString sql =
        QStringLiteral("select cBCode, cBAccount, cAccName, cBankCode from bank order by cBCode");
    QVector<FieldInfo> fields;
    for (const char* name : {"cBCode", "cBAccount", "cAccName", "cBankCode"})
        fields.push_back({QString::fromLatin1(name), ado::adVarWChar, kTextSize});
    qint64 seen = 0;
    bool stopped = false;
    QString error;
    const bool read = db.OpenXInChunks(
        sql, fields, kChunk,
        [&](const RecordsetPtr& rs) {
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                take({rs->Value(0).toString(), rs->Value(1).toString(), rs->Value(2).toString(),
                      rs->Value(3).toString()});
            seen += rs->storedRowCount();
            stopped = !progress.goOn(seen);
            return !stopped;
        },
        error);
    return read && !stopped;
}

void AccountTwins::take(Account&& a) {
    const size_t named = nameAndBank(a.name, a.bank);
    const bool byName = m_wantedNames.contains(named);
    const bool byCode = m_wantedCodes.contains(qHash(a.code));
    if (!byName && !byCode)
        return;
    if (byName)
        m_byName.insert(named, int(m_accounts.size()));
    if (byCode)
        m_byCode.insert(a.code, int(m_accounts.size()));
    m_accounts << std::move(a);
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
