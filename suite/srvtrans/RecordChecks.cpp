#include "RecordChecks.h"

#include "DataDictionary.h"
#include "SqlBackend.h"

#include <QCoreApplication>
#include <string_view>

namespace tarvo::suite {

namespace {

struct Reference {
    const char* column;
    const char* lookup; ///< one row, the end-level flag first where there is one
    const char* missing;
};
constexpr Reference kAccountReferences[] = {
    {"cBankCode", "SELECT 1 FROM aa_bank WHERE cBankCode = ?", "银行档案中没有编码为“%1”的银行"},
    {"cCurrencyName", "SELECT 1 FROM foreigncurrency WHERE cexch_name = ?", "币种档案中没有“%1”"},
    {"cCode", "SELECT bEnd FROM code WHERE cCode = ?", "会计科目中没有编码为“%1”的科目"},
};

} // namespace

bool referencesExist(SqlBackend& sql, const QString& archive,
                     const QVector<const DictField*>& columns, const QVariantList& values,
                     QString& error) {
    if (archive.compare(u"bank", Qt::CaseInsensitive) != 0)
        return true;
    for (int i = 0; i < columns.size(); ++i) {
        if (values[i].isNull())
            continue;
        for (const Reference& ref : kAccountReferences) {
            if (columns[i]->field.compare(QLatin1String(ref.column), Qt::CaseInsensitive) != 0)
                continue;
            const QString value = values[i].toString();
            const auto r = sql.query(QString::fromLatin1(ref.lookup), {value});
            if (r.rows.isEmpty()) {
                error = QString::fromUtf8(ref.missing).arg(value);
                return false;
            }
            if (ref.column == std::string_view("cCode") && r.rows[0][0].toInt() != 1) {
                error = QCoreApplication::translate("tarvo::suite::SaveService", "科目“%1”不是末级科目，银行账户只能对应末级科目").arg(value);
                return false;
            }
        }
    }
    return true;
}

bool systemBankKeepsItsName(SqlBackend& sql, const QString& archive,
                            const QVector<const DictField*>& columns, const QVariantList& values,
                            const QString& keyText, QString& error) {
    if (archive.compare(u"aa_bank", Qt::CaseInsensitive) != 0)
        return true;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i]->field.compare(u"cBankName", Qt::CaseInsensitive) != 0)
            continue;
        const auto r = sql.query(
            QStringLiteral("SELECT cBankName FROM aa_bank WHERE cBankCode = ? AND bSysData = 1"),
            {keyText});
        if (r.rows.isEmpty() || r.rows[0][0].toString() == values[i].toString())
            return true;
        error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”是系统预置的银行，名称不能修改").arg(r.rows[0][0].toString());
        return false;
    }
    return true;
}

} // namespace tarvo::suite
