#pragma once

#include "Edit.h"
#include "IClsCommon.h"
#include "ILogin.h"

#include <QHash>

#include <optional>

namespace tarvo::suite {

/// The suite's reference edit: an edit tied to a row of another table, or to a date. Its value
/// is what a record stores (a bank's code, a currency's name, a region's code, a date); its
/// display text is what it shows (the bank's or region's name). A button at its right end, or
/// F2, opens the pick list of the reference it is bound to, or the calendar.
class RefEdit : public Edit {
    Q_OBJECT
public:
    enum RefType { TableRef = 1, DateRef = 2 };
    RefEdit(QWidget* parent, const QString& name, RefType reftype);

    RefType reftype() const { return m_reftype; }

    /// Ties the edit to one of the suite's reference definitions ("ForeignCurrency_AA",
    /// "AA_Bank_AA", "hr_ct007_AA"). check: a typed text must name a row (when not given, the
    /// edit keeps what setRefCheck set); settings: an XML
    /// "<Ref><RefSet cRefFilterSql='…' /></Ref>" whose filter limits the rows offered.
    bool BindRef(LoginPtr& login, const QString& key, std::optional<bool> check = {},
                 const QString& settings = {});
    /// Whether a typed text must name a row (True unless set otherwise).
    void setRefCheck(bool check) { m_check = check; }
    /// How many rows the pick list lets the user choose; the cards choose one.
    void setRefMode(int mode) { m_mode = mode; }
    /// Empties the choice: no value, no text.
    void Reset();

    QString Value() const { return m_value; }
    /// Sets the stored value; a bound edit shows the name of the row it names.
    void setValue(const QString& value);
    QString DisplayText() const { return text(); }
    /// Takes the row whose code, value or name is text among the rows the pick list would
    /// offer now, as if picked without its signals; False, changing nothing, when none is.
    bool choose(const QString& text);

    /// Opens the pick list or the calendar, as the button does.
    void openReference();
    /// Checks what the user typed against the table now, as leaving the edit does.
    void commitTyped();
    /// Whether the text was typed by the user and not yet checked against the table.
    bool isTyped() const { return m_typed; }
    /// Whether the edit shows a text that names no row of a checked reference: the clerk's
    /// input to be mended, which the record must not take.
    bool isUnmatched() const {
        return m_check && m_db && !text().trimmed().isEmpty() && m_value.isEmpty();
    }

    /// A condition XML "<RefConditions><Condition paramName='@p' paramValue='v' />…" and a
    /// filter such as "#FN[col]=@p" as one SQL condition, values quoted; empty when the filter
    /// is empty or malformed. A field the definition reads through an expression (fields:
    /// lower-case name to SQL) is put in as that expression.
    static QString conditionSql(const QString& conditionXml, const QString& filter,
                                const QHash<QString, QString>& fields = {});
    /// A text as the value of an XML attribute.
    static QString attributeText(const QString& value);

Q_SIGNALS:
    /// The user changed the value: picked a row or a date, or left the edit after typing.
    void RefChange();
    /// Asked before the pick list opens; a handler may give a condition XML and a filter that
    /// limit the rows offered. The third argument is not used.
    void BeforeReference(QString& conditionXml, QString& filter, QVariant& unused);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Definition {
        QString table;
        QString valueColumn;
        QString displayColumn;
        QString codeColumn;
        /// The rows the reference offers at all; empty for every row of the table.
        QString rows;
        /// Fields a filter names that the reference reads otherwise than as their column.
        QHash<QString, QString> fields;
        /// The same over the session's copy of the table: whether a row is offered at all,
        /// and such a field (the parent) of a row.
        bool (*offered)(const Recordset& rows, int row) = nullptr;
        QString (*parent)(IClsCommon& db, const Recordset& rows, int row) = nullptr;
    };
    RefType m_reftype;
    LoginPtr m_login;
    ClsCommonPtr m_db;
    Definition m_def;
    QString m_baseFilter;
    /// The filter of the settings BindRef was given, as written.
    QString m_settingsFilter;
    QString m_value;
    bool m_check = true;
    int m_mode = 1;
    bool m_typed = false;

    void take(const QString& value, const QString& display);
    /// The row whose code, value or name is the text, among the rows the pick list offers.
    RecordsetPtr findRow(const QString& text);
    /// findRow over the session's copy of the table; nullopt when none is kept or the rows
    /// offered cannot be told in memory.
    std::optional<RecordsetPtr> findKeptRow(const QString& text);
    /// The condition of the rows the pick list offers: the reference's own filter and what a
    /// BeforeReference handler adds; empty when all rows are offered.
    QString offeredRows();
    void pickRow();
    void pickDate();
};

} // namespace tarvo::suite
