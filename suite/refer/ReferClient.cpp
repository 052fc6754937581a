#include "ReferClient.h"

#include "AdoTypes.h"
#include "ClsCommon.h"
#include "ReferDialog.h"
#include "ReferRowsModel.h"
#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QApplication>
#include <QDate>

namespace tarvo::suite {

namespace {

/// A value as a literal of the record set filter syntax.
QString filterLiteral(const QVariant& value, int type) {
    if (value.isNull())
        return QStringLiteral("null");
    if (ado::isNumeric(type))
        return value.toString();
    if (ado::isDate(type))
        return u'#' + value.toDate().toString(Qt::ISODate) + u'#';
    QString text = value.toString();
    text.replace(u'\'', QStringLiteral("''"));
    return u'\'' + text + u'\'';
}

QString tableCaption(const QString& table) {
    const ResourceTable& texts = ResourceTable::forLanguage(sessionLanguage());
    const QString key = QStringLiteral("Tarvo.SUITE.table.") + table.toLower();
    return texts.contains(key) ? texts.text(key) : table;
}

} // namespace

ReferClient::ReferClient() = default;
ReferClient::~ReferClient() = default;

bool ReferClient::openDatabase(const QString& dbName) {
    if (m_db && m_db->Status() && m_db->database()->name() == dbName)
        return true;
    // The session's connection, with its copies of the reference tables: a pick list costs
    // neither a connection of its own nor, once its rows are kept, a round trip.
    m_db = std::make_shared<ClsCommon>();
    m_db->Init(dbName);
    return m_db->Status();
}

bool ReferClient::EnumRefInit(LoginPtr& login, qint16, bool, QString& table, QString& condition) {
    m_rows.reset();
    m_chosen.reset();
    if (!login || !openDatabase(login->MoxDbName()))
        return false;
    const DataDictionary& dict = m_db->database()->dictionary();
    // Only a table the dictionary knows reaches the query text, and in the dictionary's
    // spelling.
    const QVector<const DictField*> fields = dict.fields(table.trimmed());
    if (fields.isEmpty())
        return false;
    const QString name = fields.first()->table;

    QStringList keys;
    for (const DictField* f : fields) {
        if (f->key)
            keys << f->field;
    }
    // The choice goes back as a filter on the key: a table without one cannot be picked from.
    if (keys.isEmpty())
        return false;

    QString sql = QStringLiteral("SELECT * FROM ") + name;
    const bool limited = !condition.trimmed().isEmpty();
    if (limited)
        sql += QStringLiteral(" WHERE ") + condition;
    sql += QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
    RecordsetPtr rows = limited ? m_db->ReferenceQuery(name, sql) : m_db->ReferenceTable(name);
    if (!rows)
        rows = m_db->OpenX(sql);
    if (!rows)
        return false;

    const QString language = sessionLanguage();
    m_captions.clear();
    for (int c = 0; c < rows->FieldCount(); ++c) {
        const QString field = rows->FieldAt(c).name;
        const DictField* f = dict.find(name, field);
        m_captions << (f ? f->caption(language) : field);
    }
    m_keys = keys;
    m_tableCaption = tableCaption(name);
    m_rows = rows;
    return true;
}

void ReferClient::Show() {
    m_chosen.reset();
    if (!m_rows)
        return;
    ReferRowsModel model(*m_rows, m_captions);
    ReferDialog dialog(&model, m_tableCaption, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<int> chosen = dialog.chosenRows();
    if (chosen.isEmpty())
        return;
    RecordsetPtr offered = m_rows->Clone();
    offered->setFilter(keyFilter(model, chosen));
    m_chosen = offered;
}

QString ReferClient::keyFilter(const ReferRowsModel& model, const QList<int>& rows) const {
    QStringList alternatives;
    for (const int row : rows) {
        QStringList terms;
        for (const QString& key : m_keys) {
            const int column = m_rows->fieldIndex(key);
            terms << key + QStringLiteral(" = ") +
                         filterLiteral(model.value(row, column), model.field(column).type);
        }
        alternatives << (terms.size() == 1 ? terms.first()
                                           : u'(' + terms.join(QStringLiteral(" and ")) + u')');
    }
    return alternatives.join(QStringLiteral(" or "));
}

} // namespace tarvo::suite
