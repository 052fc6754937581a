#include "ModRef.h"

#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "Edit.h"
#include "ErrorHandling.h"
#include "IReferClient.h"

#include <QCoreApplication>

namespace tarvo::ModRef {

namespace {

struct TableColumns {
    const char* table;
    const char* matchColumns;
    const char* codeColumn;
    const char* nameColumn;
    const char* missingKey;
};

// The tables the routines know; a table without a code column has no hand-typed check.
constexpr TableColumns kTables[] = {
    {"aa_bank", "cBankCode,cBankName", "cBankCode", "cBankName",
     "Tarvo.AA.ARCHIVE.COMMON.no_aabank"},
    {"foreigncurrency", "cexch_name,cexch_code", "cexch_code", "cexch_name",
     "Tarvo.AA.ARCHIVE.COMMON.no_foreigncurrency"},
    {"hr_ct007", "ccodeid,vdescription", nullptr, nullptr, nullptr},
    {"code", nullptr, "ccode", "ccode_name", "Tarvo.AA.ARCHIVE.COMMON.no_code_end"},
};

const TableColumns* columnsOf(const QString& table) {
    for (const TableColumns& t : kTables)
        if (table.toLower() == QLatin1String(t.table))
            return &t;
    return nullptr;
}

QString codeCaption() {
    return ArchiveSession::current().oPub->GetResString(
        QStringLiteral("Tarvo.AA.ARCHIVE.FIELD.codecolon"));
}

} // namespace

QString GetMatchString(suite::Edit& edit, const QString& table) {
    const TableColumns* t = columnsOf(table);
    if (!t || !t->matchColumns)
        return {};
    QString result;
    QString name = table;
    ArchiveSession::current().oPub->CreateMatchStr(&edit, QString::fromLatin1(t->matchColumns),
                                                   result, name);
    return result;
}

void OpenReference(suite::Edit& edit, const QString& table, RecordsetPtr& rows, bool& ok,
                   QString& condition) {
    ok = false;
    try {
        auto client = createObject<IReferClient>(QStringLiteral("MoxReferC.MoxReferClient"));
        if (!client)
            return;
        const QString match = GetMatchString(edit, table);
        condition = condition.isEmpty() ? match : condition + QStringLiteral(" and ") + match;
        QString name = table;
        QString sent = condition;
        if (!client->EnumRefInit(ArchiveSession::current().oLogin, 1, false, name, sent))
            return;
        client->Show();
        const RecordsetPtr chosen = client->recmx();
        if (!chosen)
            return;
        rows = chosen->Clone();
        rows->setFilter(chosen->Filter());
        ok = rows->RecordCount() != 0;
    } catch (const std::exception&) {
        // A pick list that cannot be shown leaves the edit as it was, without a word.
        ok = false;
    }
}

void SetRefEditFromRow(const RecordsetPtr& rows, bool ok, suite::Edit& edit,
                       const QString& codeSpec, const QString& nameColumn) {
    if (!ok)
        return;
    reportErrors([&] {
        edit.setText(NullToDefault(rows, nameColumn, QString()).toString());
        const QStringList parts = codeSpec.split(u',');
        const QString key = NullToDefault(rows, parts[0], QString()).toString();
        const QString shown =
            parts.size() >= 2 ? NullToDefault(rows, parts[1], QString()).toString() : key;
        edit.setTag(key);
        edit.setUTooltipText(codeCaption() + shown);
    });
}

void FillCodeName(ClsCommonPtr& db, suite::Edit& edit, const RecordsetPtr& record,
                  const QString& sourceColumn, const QString& table, const QString& codeColumn,
                  const QString& nameColumn) {
    const QString value = NullToDefault(record, sourceColumn, QString()).toString();
    if (!value.isEmpty()) {
        RecordsetPtr rs = db->ReferenceRows(table, codeColumn, value);
        if (!rs) {
            QString sql = QStringLiteral("select top 1 ") + codeColumn + u',' + nameColumn +
                          QStringLiteral(" from ") + table + QStringLiteral(" where ") +
                          codeColumn + QStringLiteral("=?");
            rs = db->OpenXBound(sql, {value});
        }
        if (rs && rs->RecordCount() == 1) {
            edit.setText(NullToDefault(rs, nameColumn, QString()).toString());
            edit.setTag(value);
            edit.setUTooltipText(codeCaption() + value);
            return;
        }
    }
    ClearRefEdit(edit);
}

QHash<QString, QString> NamesByCode(ClsCommonPtr& db, const QString& table) {
    QHash<QString, QString> names;
    const TableColumns* t = columnsOf(table);
    if (!t || !t->codeColumn)
        return names;
    QString sql = QStringLiteral("select %1,%2 from %3")
                      .arg(QLatin1String(t->codeColumn), QLatin1String(t->nameColumn),
                           QLatin1String(t->table));
    const RecordsetPtr rs = db->OpenX(sql);
    if (!rs)
        return names;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        names.insert(rs->Value(QString::fromLatin1(t->codeColumn)).toString(),
                     rs->Value(QString::fromLatin1(t->nameColumn)).toString());
    return names;
}

bool CheckTypedCode(QString& table, suite::Edit& edit, QString& condition) {
    if (edit.Text().trimmed().isEmpty() || !edit.Tag().isEmpty())
        return true;
    table = table.toLower();
    if (condition.isEmpty())
        condition = QStringLiteral("(1=1)");
    const TableColumns* t = columnsOf(table);
    if (!t || !t->codeColumn) {
        ShowInfo(
            QCoreApplication::translate("tarvo::Messages", "没有提供表（%1）服务！").arg(table));
        return true;
    }
    ArchiveSession& s = ArchiveSession::current();
    const QString typed = edit.Text();
    const QString code = QString::fromLatin1(t->codeColumn);
    const QString name = QString::fromLatin1(t->nameColumn);
    QString sql = QStringLiteral("select top 1 * from ") + table + QStringLiteral(" where  ") +
                  QStringLiteral(" (") + code + QStringLiteral("=? or ") + name +
                  QStringLiteral("=?) and ") + condition;
    bool found = false;
    // A lookup that cannot run proves nothing about the code: it is refused with the reason,
    // and the typed text stays for the user to try again.
    const bool ran = reportErrors([&] {
        const RecordsetPtr rs = s.SrvDB->OpenXBound(sql, {typed, typed});
        if (!rs)
            throw ArchiveError(
                QCoreApplication::translate("tarvo::Messages",
                                            "无法核对“%1”：查询表“%2”失败，请检查数据库连接。")
                    .arg(typed, table));
        found = rs->RecordCount() != 0;
        if (!found)
            return;
        rs->MoveFirst();
        edit.setText(NullToDefault(rs, name, QString()).toString());
        edit.setTag(NullToDefault(rs, code, QString()).toString());
        edit.setUTooltipText(codeCaption() + edit.Tag());
    });
    if (found)
        return true;
    if (ran) {
        ShowInfo(s.oPub->GetResString(QString::fromLatin1(t->missingKey)));
        ClearRefEdit(edit);
    }
    skipErrors([&] { edit.setFocus(); });
    return false;
}

QVariant NullToDefault(const QVariant& value, const QVariant& defaultValue) {
    return value.isNull() ? defaultValue : value;
}

QVariant NullToDefault(const RecordsetPtr& rs, const QString& field, const QVariant& defaultValue) {
    try {
        return NullToDefault(rs->Value(field), defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

qint16 FieldToCheckValue(const QVariant& value, qint16 defaultValue) {
    if (value.isNull() || !value.isValid())
        return defaultValue == 1 ? 1 : 0;
    return value.toString().compare(u"true", Qt::CaseInsensitive) == 0 ? 1 : 0;
}

qint16 FieldToCheckValue(const RecordsetPtr& rs, const QString& field, qint16 defaultValue) {
    try {
        return FieldToCheckValue(rs->Value(field), defaultValue);
    } catch (const std::exception&) {
        return defaultValue == 1 ? 1 : 0;
    }
}

void ClearRefEdit(suite::Edit& edit) {
    edit.setText(QString());
    edit.setTag(QString());
    edit.setUTooltipText(QString());
}

void ClearRefEditCode(suite::Edit& edit) {
    edit.setTag(QString());
    edit.setUTooltipText(QString());
}

} // namespace tarvo::ModRef
