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

struct KnownReference {
    const char* key;
    const char* table;
    const char* valueColumn;
    const char* displayColumn;
    const char* codeColumn;
    const char* rows = nullptr;
    const char* parentField = nullptr;
    const char* parentExpression = nullptr;
};

// The division codes hold the districts and counties of the municipalities, and the county-level
// cities governed by a province, under placeholder levels (市辖区, 县, 省直辖县级行政区划): no
// place a bank stands in. The regions' reference leaves those out and gives the places under
// them the province as their parent, so a province's list holds all its real places.
#define TARVO_PLACEHOLDER(row)                                                                     \
    "(" row ".vdescription in ('市辖区','县') or " row ".vdescription like '%直辖县级行政区划')"

// The suite's reference definitions the cards bind to: what a row stores, what it shows, the
// code a clerk may type for it, and the rows offered.
const KnownReference kReferences[] = {
    {"foreigncurrency_aa", "foreigncurrency", "cexch_name", "cexch_name", "cexch_code"},
    {"aa_bank_aa", "aa_bank", "cBankCode", "cBankName", "cBankCode"},
    {"hr_ct007_aa", "hr_ct007", "ccodeId", "vdescription", "ccodeId",
     "not " TARVO_PLACEHOLDER("hr_ct007"), "cpcodeid",
     "coalesce((select p.cpCodeId from hr_ct007 p where p.ccodeId=hr_ct007.cpCodeId "
     "and " TARVO_PLACEHOLDER("p") "),hr_ct007.cpCodeId)"},
};

#undef TARVO_PLACEHOLDER

/// One connection per database for all reference edits of the thread, while any holds it.
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
                 {}};
        if (r.parentField)
            m_def.fields.insert(QString::fromLatin1(r.parentField),
                                QString::fromUtf8(r.parentExpression));
        m_login = login;
        if (check)
            m_check = *check;
        m_baseFilter = conditionSql(QString(), settingsFilter(settings), m_def.fields);
        m_db = login ? sharedConnection(login->MoxDbName()) : nullptr;
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

RecordsetPtr RefEdit::findRow(const QString& text) {
    if (!m_db || m_def.table.isEmpty())
        return nullptr;
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
    QHash<QString, QString> params;
    QDomDocument doc;
    if (!conditionXml.isEmpty() && doc.setContent(conditionXml)) {
        for (QDomElement c = doc.documentElement().firstChildElement(QStringLiteral("Condition"));
             !c.isNull(); c = c.nextSiblingElement(QStringLiteral("Condition")))
            params.insert(c.attribute(QStringLiteral("paramName")),
                          c.attribute(QStringLiteral("paramValue")));
    }
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
