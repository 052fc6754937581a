#include "ClsColSet.h"

#include "ColumnSetupDialog.h"
#include "SuiteContext.h"
#include "UiText.h"

#include <QApplication>
#include <QMessageBox>

#include <algorithm>

namespace tarvo::suite {

namespace {

/// Whether two layouts show the same: the width of a column not shown is nobody's concern
/// (the list gives such columns no width at all).
bool sameLayout(const QVector<ColumnItem>& a, const QVector<ColumnItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const ColumnItem& x, const ColumnItem& y) {
                          const bool shown = x.bDisp.toBool();
                          return x.cFld == y.cFld && x.Caption == y.Caption &&
                                 x.iAlign == y.iAlign && shown == y.bDisp.toBool() &&
                                 (!shown || x.iColWidth == y.iColWidth) && x.cOrder == y.cOrder;
                      });
}

} // namespace

void ClsColSet::Init(const QString& dbName, const QString& userId) {
    m_userId = userId;
    m_colSet.clear();
    m_columns.reset();
    try {
        m_db = AccountDatabase::openShared(dbName);
    } catch (const DbError&) {
        m_db.reset();
    }
}

Statement ClsColSet::layoutQuestion(const QString& colSet) const {
    // The user's own layout and the defaults in one question: the defaults stand in for a
    // layout never stored, and give a stored one its captions in today's language.
    return {QStringLiteral("SELECT 0, cFld, cCaption, cCaption, iAlign, bDisp, iColWidth, cOrder, "
                           "iOrder FROM tarvo_colset_layout WHERE cUserId = ? AND "
                           "lower(cColSet) = lower(?) "
                           "UNION ALL SELECT 1, cFld, cCaptionZh, cCaptionEn, iAlign, bDisp, "
                           "iColWidth, cOrder, iOrder FROM tarvo_colset_default "
                           "WHERE lower(cColSet) = lower(?) ORDER BY 1, 9"),
            {m_userId, colSet, colSet}};
}

Statement ClsColSet::optionsQuestion(const QString& colSet) const {
    // Whether the set-up is denied to the user, and the user's options, in one question.
    return {QStringLiteral("SELECT EXISTS (SELECT 1 FROM tarvo_colset_denied WHERE cUserId = ? "
                           "AND lower(cColSet) = lower(?)), "
                           "(SELECT iFixedCols FROM tarvo_colset_option WHERE cUserId = ? AND "
                           "lower(cColSet) = lower(?)), "
                           "(SELECT bLock FROM tarvo_colset_option WHERE cUserId = ? AND "
                           "lower(cColSet) = lower(?))"),
            {m_userId, colSet, m_userId, colSet, m_userId, colSet}};
}

void ClsColSet::ExpectColMode(const QString& colSetName) {
    if (m_db)
        m_db->sql().askAhead({optionsQuestion(colSetName), layoutQuestion(colSetName)});
}

QVector<ColumnItem> ClsColSet::loadLayout(const QString& colSet) {
    const Statement asked = layoutQuestion(colSet);
    const auto r = m_db->sql().query(asked.sql, asked.params);
    const bool english = sessionLanguage().startsWith(u"en", Qt::CaseInsensitive);
    QVector<QVector<QVariant>> own;
    QVector<QVector<QVariant>> defaults;
    for (const auto& row : r.rows)
        (row[0].toInt() == 0 ? own : defaults).push_back(row);
    QVector<ColumnItem> items;
    for (const auto& row : own.isEmpty() ? defaults : own) {
        QString caption = english && own.isEmpty() ? row[3].toString() : row[2].toString();
        // A stored caption the user never changed is the default's, in whichever language it
        // was stored: show it in today's.
        if (!own.isEmpty())
            for (const auto& d : defaults)
                if (d[1].toString() == row[1].toString() &&
                    (caption == d[2].toString() || caption == d[3].toString()))
                    caption = english ? d[3].toString() : d[2].toString();
        items.push_back({row[1].toString(), caption, row[4].toInt(),
                         QVariant(row[5].toInt() != 0), row[6].toInt(), row[7].toString()});
    }
    return items;
}

QVector<ColumnItem> ClsColSet::loadDefaults(const QString& colSet) {
    QVector<ColumnItem> items;
    const bool english = sessionLanguage().startsWith(u"en", Qt::CaseInsensitive);
    const auto defaults = m_db->sql().query(
        QStringLiteral("SELECT cFld, cCaptionZh, cCaptionEn, iAlign, bDisp, iColWidth, cOrder "
                       "FROM tarvo_colset_default WHERE lower(cColSet) = lower(?) ORDER BY iOrder"),
        {colSet});
    for (const auto& r : defaults.rows)
        items.push_back({r[0].toString(), english ? r[2].toString() : r[1].toString(), r[3].toInt(),
                         QVariant(r[4].toInt() != 0), r[5].toInt(), r[6].toString()});
    return items;
}

bool ClsColSet::setColMode(const QString& colSetName, int) {
    if (!m_db)
        return false;
    try {
        const Statement asked = optionsQuestion(colSetName);
        const auto opt = m_db->sql().query(asked.sql, asked.params).rows.value(0);
        if (opt.value(0).toInt() != 0)
            return false;
        QVector<ColumnItem> items = loadLayout(colSetName);
        if (items.isEmpty())
            return false;
        m_fixedCols = opt.value(1).toInt();
        m_locked = opt.value(2).toInt() != 0;
        m_stored = items;
        m_columns = std::make_shared<ColumnCollection>(std::move(items));
        m_colSet = colSetName;
        return true;
    } catch (const DbError&) {
        return false;
    }
}

QString ClsColSet::GetSqlString() const {
    if (!m_columns)
        return {};
    QStringList fields;
    for (const ColumnItem& c : m_columns->items())
        fields << c.cFld;
    return fields.join(u',');
}

void ClsColSet::storeLayout(const QVector<ColumnItem>& items) {
    SqlBackend& sql = m_db->sql();
    Transaction tx(sql);
    // The user's layout is written whole, so a first save turns the defaults into it.
    sql.exec(QStringLiteral("DELETE FROM tarvo_colset_layout WHERE cUserId = ? AND "
                            "lower(cColSet) = lower(?)"),
             {m_userId, m_colSet});
    if (!items.isEmpty()) {
        // One statement for the whole layout: over a slow link each row would cost a round trip.
        QStringList rows;
        QVariantList values;
        int order = 1;
        for (const ColumnItem& c : items) {
            rows << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)");
            values << m_userId << m_colSet << order++ << c.cFld << c.Caption << c.iAlign
                   << (c.bDisp.toBool() ? 1 : 0) << c.iColWidth
                   << (c.cOrder.isEmpty() ? QVariant() : QVariant(c.cOrder));
        }
        sql.exec(QStringLiteral("INSERT INTO tarvo_colset_layout (cUserId, cColSet, iOrder, cFld, "
                                "cCaption, iAlign, bDisp, iColWidth, cOrder) VALUES ") +
                     rows.join(u", "),
                 values);
    }
    tx.commit();
}

void ClsColSet::SaveColWidth() {
    if (!m_db || !m_columns || m_colSet.isEmpty() || sameLayout(m_columns->items(), m_stored))
        return;
    try {
        storeLayout(m_columns->items());
        m_stored = m_columns->items();
    } catch (const DbError&) {
        // Widths are a convenience: a failed store keeps the old layout and bothers nobody.
    }
}

QVariant ClsColSet::setCol() {
    if (!m_db || !m_columns || m_colSet.isEmpty())
        return QVariant(false);
    QWidget* parent = QApplication::activeWindow();
    try {
        const QVector<ColumnItem> defaults = loadDefaults(m_colSet);
        // The suite's default layouts open with the list's key column (the list sorts by it
        // and finds its records by it), so the first default column is taken as the key.
        const QString keyField = defaults.isEmpty() ? QString() : defaults.first().cFld;
        QVector<ColumnItem> columns = m_columns->items();
        if (!ColumnSetupDialog::edit(parent, columns, defaults, keyField))
            return QVariant(false);
        storeLayout(columns);
        m_stored = columns;
        // In place: the list may still hold the collection it was given.
        *m_columns = ColumnCollection(std::move(columns));
        return QVariant(true);
    } catch (const DbError& e) {
        QMessageBox::warning(
            parent, uiText("栏目设置", "Column Set-up"),
            uiText("栏目设置未能保存：%1", "The column set-up was not stored: %1").arg(e.text()));
        return QVariant(false);
    }
}

} // namespace tarvo::suite
