#include "ClsHistory.h"

#include "AdoTypes.h"
#include "ChangeHistory.h"
#include "ClsCommon.h"
#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QCoreApplication>

namespace tarvo::suite {

namespace {

constexpr int kTextSize = 255;

const char* const kFields[] = {"dWhen",     "cUserId", "cUserName",  "cSessionUser", "cAction",
                               "cKeyValue", "cField",  "cFieldName", "cOldValue",    "cNewValue"};

/// Flags read as the lists show them, yes or no.
QString shown(const DictField* field, const QString& value, const ResourceTable& texts) {
    if (!field || field->type != u"bit" || value.isEmpty())
        return value;
    return texts.text(value == u"0" ? QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.no")
                                    : QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.yes"));
}

} // namespace

RecordsetPtr ClsHistory::History(ClsCommonPtr& db, const QString& archive, const QVariant& key,
                                 QString& errText) {
    auto* common = dynamic_cast<ClsCommon*>(db.get());
    AccountDatabase* database = common ? common->database() : nullptr;
    if (!database) {
        errText = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
        return nullptr;
    }
    const DataDictionary& dict = database->dictionary();
    if (!dict.hasTable(archive)) {
        errText = QCoreApplication::translate("tarvo::suite::DbError", "没有档案“%1”的修改记录")
                      .arg(archive);
        return nullptr;
    }
    QVector<FieldInfo> fields;
    for (const char* name : kFields)
        fields.push_back({QString::fromLatin1(name), ado::adVarWChar, kTextSize});
    auto rs = std::make_shared<Recordset>(fields);
    try {
        const auto entries = ChangeHistory(*database).read(
            archive, key.isNull() ? std::nullopt : std::optional<QString>(key.toString()));
        const QString language = sessionLanguage();
        const ResourceTable& texts = ResourceTable::forLanguage(language);
        for (const HistoryEntry& e : entries) {
            const DictField* f = dict.find(archive, e.field);
            const QString caption = f ? f->caption(language) : QString();
            rs->appendRow({e.when, e.userId, e.userName, e.sessionUser, e.action, e.key,
                           caption.isEmpty() ? e.field : caption, e.field,
                           shown(f, e.before, texts), shown(f, e.after, texts)});
        }
    } catch (const DbError& e) {
        errText = QCoreApplication::translate("tarvo::suite::DbError", "读取修改记录失败：%1")
                      .arg(e.text());
        return nullptr;
    }
    return rs;
}

} // namespace tarvo::suite
