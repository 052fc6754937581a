#include "HistoryValues.h"

#include "ArchiveSession.h"
#include "ModRef.h"
#include "ShownValues.h"

namespace tarvo {

namespace {

bool is(const QString& field, const char* name) {
    return field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

} // namespace

HistoryValues::HistoryValues(ComVarPtr var) : m_ComVar(std::move(var)) {}

const QHash<QString, QString>& HistoryValues::names(std::optional<QHash<QString, QString>>& cache,
                                                    const QString& table) {
    if (!cache)
        cache = ModRef::NamesByCode(ArchiveSession::current().SrvDB, table);
    return *cache;
}

QString HistoryValues::shown(const QString& field, const QString& stored) {
    if (stored.isEmpty())
        return stored;
    ArchiveSession& s = ArchiveSession::current();
    if (s.oPub && IsStyledAmount(*s.oPub, *m_ComVar, field))
        return StyledAmount(*s.oPub, *m_ComVar, field, stored);
    // In the bank archive itself the bank's code is its key, shown as it is.
    if (m_ComVar->m_ArchiveEnName != u"bank")
        return stored;
    if (is(field, "iSignFlag"))
        return SignFlagShown(stored, s.SignFlagText);
    if (is(field, "iAccProperty"))
        return AccPropertyShown(stored, s.AccPropertyText);
    if (is(field, "cBankCode"))
        return names(m_bankNames, QStringLiteral("aa_bank")).value(stored, stored);
    if (is(field, "cCode")) {
        const QString name = names(m_accountNames, QStringLiteral("code")).value(stored);
        return name.isEmpty() ? stored : stored + u' ' + name;
    }
    return stored;
}

} // namespace tarvo
