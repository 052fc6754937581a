#include "RecordChecks.h"

#include "DataDictionary.h"
#include "StoredFacts.h"

#include <QCoreApplication>

#include <algorithm>
#include <string_view>

namespace tarvo::suite {

namespace {

struct Reference {
    const char* column;
    NamedRow row; ///< the end-level flag where there is one
    const char* missing;
};
constexpr Reference kAccountReferences[] = {
    {"cBankCode", {"aa_bank", "cBankCode", "1"},
     QT_TRANSLATE_NOOP("tarvo::suite::SaveService", "银行档案中没有编码为“%1”的银行")},
    {"cCurrencyName", {"foreigncurrency", "cexch_name", "1"},
     QT_TRANSLATE_NOOP("tarvo::suite::SaveService", "币种档案中没有“%1”")},
    {"cCode", {"code", "cCode", "bEnd"},
     QT_TRANSLATE_NOOP("tarvo::suite::SaveService", "会计科目中没有编码为“%1”的科目")},
};

} // namespace

QVector<RowNamed> namedRows(const QString& archive, const QVector<const DictField*>& columns,
                            const QVariantList& values) {
    QVector<RowNamed> named;
    if (archive.compare(u"bank", Qt::CaseInsensitive) != 0)
        return named;
    for (int i = 0; i < columns.size(); ++i) {
        if (values[i].isNull())
            continue;
        for (const Reference& ref : kAccountReferences) {
            const QLatin1String column(ref.column);
            if (columns[i]->field.size() == column.size() &&
                columns[i]->field.compare(column, Qt::CaseInsensitive) == 0)
                named.push_back({&ref.row, values[i].toString()});
        }
    }
    return named;
}

bool referencesExist(StoredFacts& facts, const QString& archive,
                     const QVector<const DictField*>& columns, const QVariantList& values,
                     QString& error) {
    for (const RowNamed& named : namedRows(archive, columns, values)) {
        const Reference& ref =
            *std::find_if(std::cbegin(kAccountReferences), std::cend(kAccountReferences),
                          [&](const Reference& r) { return &r.row == named.row; });
        const auto found = facts.lookUp(*named.row, named.value);
        if (!found) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", ref.missing)
                        .arg(named.value);
            return false;
        }
        if (ref.column == std::string_view("cCode") && found->toInt() != 1) {
            error = QCoreApplication::translate("tarvo::suite::SaveService",
                                                "科目“%1”不是末级科目，银行账户只能对应末级科目")
                        .arg(named.value);
            return false;
        }
    }
    return true;
}

bool systemBankKeepsItsName(StoredFacts& facts, const QString& archive,
                            const QVector<const DictField*>& columns, const QVariantList& values,
                            const QString& keyText, QString& error) {
    if (archive.compare(u"aa_bank", Qt::CaseInsensitive) != 0)
        return true;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i]->field.compare(u"cBankName", Qt::CaseInsensitive) != 0)
            continue;
        const auto r = facts.stored(archive, {QStringLiteral("cBankName"), QStringLiteral("bSysData")},
                                    keyText);
        if (!r || r->at(1).toInt() != 1 || r->at(0).toString() == values[i].toString())
            return true;
        error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”是系统预置的银行，名称不能修改").arg(r->at(0).toString());
        return false;
    }
    return true;
}

} // namespace tarvo::suite
