#include "RefEdit.h"

#include "ClassRegistry.h"
#include "DatePicker.h"
#include "IReferClient.h"

#include <QAction>
#include <QDomDocument>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QStyle>

namespace tarvo::suite {

namespace {

/// A field of a row as text; empty for a column the rows lack.
QString cell(const Recordset& rows, int row, int col) {
    return col < 0 ? QString() : rows.valueAt(row, col).toString();
}

struct KnownReference {
    const char* key;
    const char* table;
    const char* valueColumn;
    const char* displayColumn;
    const char* codeColumn;
    const char* rows = nullptr;
    const char* parentField = nullptr;
    const char* parentExpression = nullptr;
    /// rows and parentExpression over the session's copy, for lookups without a round trip.
    bool (*offered)(const Recordset& rows, int row) = nullptr;
    QString (*parent)(IClsCommon& db, const Recordset& rows, int row) = nullptr;
};

// The division codes hold the districts and counties of the municipalities, and the county-level
// cities governed by a province, under placeholder levels (市辖区, 县, 省直辖县级行政区划): no
// place a bank stands in. The regions' reference leaves those out and gives the places under
// them the province as their parent, so a province's list holds all its real places.
#define TARVO_PLACEHOLDER(row)                                                                     \
    "(" row ".vdescription in ('市辖区','县') or " row ".vdescription like '%直辖县级行政区划')"

bool isPlaceholderRegion(const QString& name) {
    return name == u"市辖区" || name == u"县" || name.endsWith(u"直辖县级行政区划");
}

bool regionOffered(const Recordset& rows, int row) {
    return !isPlaceholderRegion(cell(rows, row, rows.fieldIndex(QStringLiteral("vdescription"))));
}

QString regionParent(IClsCommon& db, const Recordset& rows, int row) {
    const QString own = cell(rows, row, rows.fieldIndex(QStringLiteral("cpCodeId")));
    const RecordsetPtr up = own.isEmpty() ? nullptr
                                          : db.ReferenceRows(QStringLiteral("hr_ct007"),
                                                             QStringLiteral("ccodeId"), own);
    if (up && up->RecordCount() > 0 &&
        isPlaceholderRegion(up->Value(QStringLiteral("vdescription")).toString()) &&
        !up->Value(QStringLiteral("cpCodeId")).isNull())
        return up->Value(QStringLiteral("cpCodeId")).toString();
    return own;
}

// The suite's reference definitions the cards bind to: what a row stores, what it shows, the
// code a clerk may type for it, and the rows offered.
const KnownReference kReferences[] = {
    {"foreigncurrency_aa", "foreigncurrency", "cexch_name", "cexch_name", "cexch_code"},
    {"aa_bank_aa", "aa_bank", "cBankCode", "cBankName", "cBankCode"},
    {"hr_ct007_aa", "hr_ct007", "ccodeId", "vdescription", "ccodeId",
     "not " TARVO_PLACEHOLDER("hr_ct007"), "cpcodeid",
     "coalesce((select p.cpCodeId from hr_ct007 p where p.ccodeId=hr_ct007.cpCodeId "
     "and " TARVO_PLACEHOLDER("p") "),hr_ct007.cpCodeId)",
     regionOffered, regionParent},
};

#undef TARVO_PLACEHOLDER

/// One object per database for all reference edits of the thread, while any holds it, over
/// the session's connection and its copies of the reference tables.
ClsCommonPtr sharedConnection(const QString& dbName) {
    static thread_local QHash<QString, std::weak_ptr<IClsCommon>> open;
    if (ClsCommonPtr db = open.value(dbName).lock())
        return db;
    ClsCommonPtr db = createObject<IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
    if (!db)
        return nullptr;
    db->Init(dbName);
    if (!db->Status())
        return nullptr;
    open.insert(dbName, db);
    return db;
}

/// The parameters of a condition XML "<RefConditions><Condition paramName='@p'
/// paramValue='v' />…".
QHash<QString, QString> conditionParams(const QString& conditionXml) {
    QHash<QString, QString> params;
    QDomDocument doc;
    if (conditionXml.isEmpty() || !doc.setContent(conditionXml))
        return params;
    for (QDomElement c = doc.documentElement().firstChildElement(QStringLiteral("Condition"));
         !c.isNull(); c = c.nextSiblingElement(QStringLiteral("Condition")))
        params.insert(c.attribute(QStringLiteral("paramName")),
                      c.attribute(QStringLiteral("paramValue")));
    return params;
}

QString sqlLiteral(const QString& value) {
    QString text = value;
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

/// The filter of reference settings "<Ref><RefSet cRefFilterSql='…' /></Ref>".
QString settingsFilter(const QString& settings) {
    QDomDocument doc;
    if (settings.trimmed().isEmpty() || !doc.setContent(settings))
        return {};
    return doc.documentElement()
        .firstChildElement(QStringLiteral("RefSet"))
        .attribute(QStringLiteral("cRefFilterSql"));
}

} // namespace

RefEdit::RefEdit(QWidget* parent, const QString& name, RefType reftype)
    : Edit(parent, name), m_reftype(reftype) {
    QAction* button =
        addAction(style()->standardIcon(reftype == DateRef ? QStyle::SP_FileDialogDetailedView
                                                           : QStyle::SP_FileDialogContentsView),
                  QLineEdit::TrailingPosition);
    button->setObjectName(name + QStringLiteral("_ref"));
    connect(button, &QAction::triggered, this, &RefEdit::openReference);
    connect(this, &Edit::UserChange, this, [this] {
        // What the user types stands for itself until it is checked against the table.
        m_typed = true;
        m_value = text();
        setTag(m_value);
    });
}

bool RefEdit::BindRef(LoginPtr& login, const QString& key, std::optional<bool> check,
                      const QString& settings) {
    for (const KnownReference& r : kReferences) {
        if (key.toLower() != QLatin1String(r.key))
            continue;
        m_def = {QString::fromLatin1(r.table),
                 QString::fromLatin1(r.valueColumn),
                 QString::fromLatin1(r.displayColumn),
                 QString::fromLatin1(r.codeColumn),
                 QString::fromUtf8(r.rows),
                 {},
                 r.offered,
                 r.parent};
        if (r.parentField)
            m_def.fields.insert(QString::fromLatin1(r.parentField),
                                QString::fromUtf8(r.parentExpression));
        m_login = login;
        if (check)
            m_check = *check;
        m_settingsFilter = settingsFilter(settings);
        m_baseFilter = conditionSql(QString(), m_settingsFilter, m_def.fields);
        m_db = login ? sharedConnection(login->MoxDbName()) : nullptr;
        // The card's record is read next: the names it shows come along with it.
        if (m_db)
            m_db->WantReferences();
        return m_db != nullptr;
    }
    return false;
}

void RefEdit::Reset() {
    m_typed = false;
    take(QString(), QString());
}

void RefEdit::take(const QString& value, const QString& display) {
    m_value = value;
    setTag(value);
    setText(display);
}

void RefEdit::setValue(const QString& value) {
    m_typed = false;
    const RecordsetPtr row = value.isEmpty() ? nullptr : findRow(value);
    if (row)
        take(row->Value(m_def.valueColumn).toString(), row->Value(m_def.displayColumn).toString());
    else
        take(value, value);
}

bool RefEdit::choose(const QString& text) {
    const RecordsetPtr row = text.isEmpty() ? nullptr : findRow(text);
    if (!row)
        return false;
    m_typed = false;
    take(row->Value(m_def.valueColumn).toString(), row->Value(m_def.displayColumn).toString());
    return true;
}

std::optional<RecordsetPtr> RefEdit::findKeptRow(const QString& text) {
    if (!m_def.rows.isEmpty() && !m_def.offered)
        return std::nullopt;
    // The rows whose code (in either case), value or name is the text, as the database would
    // find them; null when the session keeps no copy of the table.
    const RecordsetPtr found[] = {
        m_db->ReferenceRows(m_def.table, m_def.codeColumn, text, true),
        m_db->ReferenceRows(m_def.table, m_def.valueColumn, text),
        m_db->ReferenceRows(m_def.table, m_def.displayColumn, text),
    };
    for (const RecordsetPtr& rows : found)
        if (!rows)
            return std::nullopt;
    QString conditionXml;
    QString filter;
    QVariant unused;
    Q_EMIT BeforeReference(conditionXml, filter, unused);
    // Each filter is a few "#FN[field]=value" joined by "and"; anything else is left to the
    // database.
    static const QRegularExpression conjunction(QStringLiteral("\\s+and\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression equality(
        QStringLiteral(R"(^\s*#FN\[(\w+)\]\s*=\s*(?:(@\w+)|'([^']*)'|(-?\d+))\s*$)"));
    QVector<QPair<QString, QString>> equal;
    const Recordset& columns = *found[0];
    const auto understood = [&](const QString& text, const QHash<QString, QString>& params) {
        if (text.trimmed().isEmpty())
            return true;
        for (const QString& term : text.split(conjunction)) {
            const QRegularExpressionMatch m = equality.match(term);
            const QString field = m.captured(1).toLower();
            const QString param = m.captured(2);
            if (!m.hasMatch() || (!param.isEmpty() && !params.contains(param)))
                return false;
            const bool computed = m_def.fields.contains(field);
            if ((computed && !m_def.parent) || (!computed && columns.fieldIndex(field) < 0))
                return false;
            equal.push_back({field, !param.isEmpty()          ? params.value(param)
                                    : m.capturedStart(3) >= 0 ? m.captured(3)
                                                              : m.captured(4)});
        }
        return true;
    };
    if (!understood(m_settingsFilter, {}) || !understood(filter, conditionParams(conditionXml)))
        return std::nullopt;
    const auto offered = [&](const Recordset& rows, int row) {
        if (m_def.offered && !m_def.offered(rows, row))
            return false;
        for (const auto& [field, value] : equal) {
            const QString is = m_def.fields.contains(field)
                                   ? m_def.parent(*m_db, rows, row)
                                   : cell(rows, row, rows.fieldIndex(field));
            if (is != value)
                return false;
        }
        return true;
    };
    // The first offered in the order of the value, as the database's query sorts them.
    RecordsetPtr best;
    int bestRow = -1;
    QString bestValue;
    for (const RecordsetPtr& rows : found) {
        const int value = rows->fieldIndex(m_def.valueColumn);
        for (int row = 0; row < rows->storedRowCount(); ++row) {
            const QString v = cell(*rows, row, value);
            if ((best && bestValue <= v) || !offered(*rows, row))
                continue;
            best = rows;
            bestRow = row;
            bestValue = v;
        }
    }
    if (!best)
        return RecordsetPtr();
    QVector<FieldInfo> fields;
    QVector<QVariant> values;
    for (int f = 0; f < best->FieldCount(); ++f) {
        fields.push_back(best->FieldAt(f));
        values.push_back(best->valueAt(bestRow, f));
    }
    auto one = std::make_shared<Recordset>(fields);
    one->appendRow(values);
    one->MoveFirst();
    return one;
}

RecordsetPtr RefEdit::findRow(const QString& text) {
    if (!m_db || m_def.table.isEmpty())
        return nullptr;
    if (const std::optional<RecordsetPtr> kept = findKeptRow(text))
        return *kept;
    // Codes are typed in either case ("cny" is CNY); names are matched as they are written.
    const QString literal = sqlLiteral(text);
    QString sql = QStringLiteral("select ") + m_def.valueColumn + u',' + m_def.displayColumn +
                  QStringLiteral(" from ") + m_def.table + QStringLiteral(" where (upper(") +
                  m_def.codeColumn + QStringLiteral(")=upper(") + literal +
                  QStringLiteral(") or ") + m_def.valueColumn + u'=' + literal +
                  QStringLiteral(" or ") + m_def.displayColumn + u'=' + literal + u')';
    // A name such as 朝阳区 stands in more than one province: what is typed is looked for
    // among the rows the pick list would offer.
    const QString limit = offeredRows();
    if (!limit.isEmpty())
        sql += QStringLiteral(" and ") + limit;
    sql += QStringLiteral(" order by ") + m_def.valueColumn;
    RecordsetPtr rs = m_db->OpenX(sql);
    if (!rs || rs->RecordCount() == 0)
        return nullptr;
    rs->MoveFirst();
    return rs;
}

QString RefEdit::offeredRows() {
    QString conditionXml;
    QString filter;
    QVariant unused;
    Q_EMIT BeforeReference(conditionXml, filter, unused);
    QStringList terms;
    if (!m_def.rows.isEmpty())
        terms << u'(' + m_def.rows + u')';
    if (!m_baseFilter.isEmpty())
        terms << u'(' + m_baseFilter + u')';
    const QString limit = conditionSql(conditionXml, filter, m_def.fields);
    if (!limit.isEmpty())
        terms << u'(' + limit + u')';
    return terms.join(QStringLiteral(" and "));
}

void RefEdit::focusOutEvent(QFocusEvent* event) {
    Edit::focusOutEvent(event);
    // Another window or a menu taking the focus is no leaving of the field: half-typed text
    // waits, unchecked, until the clerk moves on within the card.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        commitTyped();
}

void RefEdit::commitTyped() {
    if (!m_typed)
        return;
    m_typed = false;
    if (m_reftype == DateRef || text().isEmpty()) {
        m_value = text();
        Q_EMIT RefChange();
        return;
    }
    if (const RecordsetPtr row = findRow(text())) {
        take(row->Value(m_def.valueColumn).toString(), row->Value(m_def.displayColumn).toString());
    } else if (m_check && m_db) {
        // A name the table does not know is no choice: the text stays for the user to mend,
        // and the record holds no value for it.
        m_value.clear();
        setTag(QString());
    }
    Q_EMIT RefChange();
}

void RefEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        openReference();
        return;
    }
    Edit::keyPressEvent(event);
}

void RefEdit::openReference() {
    if (!isEnabled() || isReadOnly())
        return;
    if (m_reftype == DateRef)
        pickDate();
    else
        pickRow();
}

void RefEdit::pickRow() {
    auto client = createObject<IReferClient>(QStringLiteral("MoxReferC.MoxReferClient"));
    if (!client || !m_login || m_def.table.isEmpty())
        return;
    QString condition = offeredRows();
    QString table = m_def.table;
    if (!client->EnumRefInit(m_login, qint16(m_mode), false, table, condition))
        return;
    client->Show();
    const RecordsetPtr chosen = client->recmx();
    if (!chosen || chosen->RecordCount() == 0)
        return;
    chosen->MoveFirst();
    m_typed = false;
    take(chosen->Value(m_def.valueColumn).toString(),
         chosen->Value(m_def.displayColumn).toString());
    Q_EMIT RefChange();
}

void RefEdit::pickDate() {
    constexpr int kTwipsPerPixel = 15;
    DatePicker picker;
    picker.setStartDate(QDate::fromString(text().trimmed(), Qt::ISODate));
    QWidget* window = this->window();
    const int top = mapTo(window, QPoint(0, 0)).y() * kTwipsPerPixel;
    const int left = mapTo(window, QPoint(0, 0)).x() * kTwipsPerPixel;
    picker.setLeft(left);
    picker.setTop(top + height() * kTwipsPerPixel + 100);
    // Too near the window's bottom edge, the calendar opens above the edit.
    if (picker.Top() + picker.Height() + 1000 > window->height() * kTwipsPerPixel)
        picker.setTop(top - picker.Height());
    const QString date = picker.Show(window);
    if (date.isNull())
        return;
    m_typed = false;
    take(date, date);
    Q_EMIT RefChange();
}

QString RefEdit::conditionSql(const QString& conditionXml, const QString& filter,
                              const QHash<QString, QString>& fields) {
    if (filter.trimmed().isEmpty())
        return {};
    const QHash<QString, QString> params = conditionParams(conditionXml);
    // Only column names and known parameters reach the SQL text; values go in as literals.
    static const QRegularExpression token(QStringLiteral("#FN\\[(\\w+)\\]|(@\\w+)|(['\";])"));
    QString out;
    qsizetype from = 0;
    auto it = token.globalMatch(filter);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += filter.mid(from, m.capturedStart() - from);
        if (m.hasCaptured(1))
            out += fields.value(m.captured(1).toLower(), m.captured(1));
        else if (m.hasCaptured(2) && params.contains(m.captured(2)))
            out += sqlLiteral(params.value(m.captured(2)));
        else
            return {};
        from = m.capturedEnd();
    }
    return out + filter.mid(from);
}

QString RefEdit::attributeText(const QString& value) {
    QString out = value.toHtmlEscaped();
    return out.replace(u'\'', QStringLiteral("&apos;"));
}

} // namespace tarvo::suite
