#include "FileBranches.h"

#include "ClassRegistry.h"

namespace tarvo {

namespace {

/// Values per statement: far under what either engine takes as parameters.
constexpr int kValuesPerQuestion = 500;

/// Each column cast: a directory made after the connection read the catalog has columns it
/// does not know, whose types a server would be asked for.
const QString kBranchColumns = QStringLiteral(
    "select CAST(cBranchNo AS varchar(12)), CAST(cBranchName AS varchar(120)), "
    "CAST(cHeadBankNo AS varchar(12)), CAST(cProvinceName AS varchar(60)), "
    "CAST(cCityName AS varchar(60)), CAST(dRetired AS varchar(10)) from tarvo_branch "
    "where cBranchNo in (");
const QString kAccountColumns = QStringLiteral(
    "select cBCode, cBName, cBankCode, cProvinceName, cCountyName from bank where cBCode in (");

QString quoted(QString value) {
    return u'\'' + value.replace(u'\'', QLatin1String("''")) + u'\'';
}

/// The statements asking for values a chunk at a time, in the order of the values.
QStringList questions(const QString& head, const QSet<QString>& values) {
    QStringList sorted(values.begin(), values.end());
    sorted.sort();
    QStringList out;
    for (qsizetype i = 0; i < sorted.size(); i += kValuesPerQuestion) {
        QStringList chunk;
        for (const QString& v : sorted.mid(i, kValuesPerQuestion))
            chunk << quoted(v);
        out << head + chunk.join(u',') + u')';
    }
    return out;
}

} // namespace

void FileBranches::wantCode(const QString& code) {
    m_codes.insert(code);
}

void FileBranches::wantAccount(const QString& code) {
    m_accounts.insert(code);
}

void FileBranches::askAhead(ClsCommonPtr& db) {
    m_questions.clear();
    if (m_codes.isEmpty())
        return;
    auto directory =
        createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    m_present = directory && directory->Present(db);
    if (!m_present)
        return;
    m_questions = questions(kBranchColumns, m_codes) + questions(kAccountColumns, m_accounts);
    // Sent ahead as a session's start sends its questions: the archive's rights come along
    // unasked for, a statement more in the same round trip.
    db->ExpectStart(QStringLiteral("bank"), m_questions);
}

bool FileBranches::read(IClsCommon& db) {
    m_branches.clear();
    m_stored.clear();
    for (QString sql : std::as_const(m_questions)) {
        const bool branches = sql.startsWith(kBranchColumns);
        const RecordsetPtr rs = db.OpenX(sql);
        if (!rs)
            return false;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            if (branches) {
                BranchEntry e;
                e.code = rs->Value(0).toString();
                e.name = rs->Value(1).toString();
                e.bankCode = rs->Value(2).toString();
                e.province = rs->Value(3).toString();
                e.city = rs->Value(4).toString();
                e.retiredOn = QDate::fromString(rs->Value(5).toString().left(10), Qt::ISODate);
                m_branches.insert(e.code, e);
            } else {
                m_stored.insert(rs->Value(0).toString(),
                                {rs->Value(1).toString(), rs->Value(2).toString(),
                                 rs->Value(3).toString(), rs->Value(4).toString()});
            }
        }
    }
    return true;
}

const BranchEntry* FileBranches::branch(const QString& code) const {
    const auto it = m_branches.constFind(code);
    return it == m_branches.cend() ? nullptr : &*it;
}

const FileBranches::StoredFields* FileBranches::account(const QString& code) const {
    const auto it = m_stored.constFind(code);
    return it == m_stored.cend() ? nullptr : &*it;
}

} // namespace tarvo
