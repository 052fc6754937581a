#pragma once

#include "GridModel.h"
#include "Recordset.h"

#include <QByteArrayList>
#include <QStringList>

namespace tarvo {

class IPub;
class ComVar;

/// The list grid's data cells, read from the record set of a refresh when the grid shows
/// them: grid column j shows field j − 1 as its display text; Boolean, sign-flag and
/// account-property columns show their session texts, not their codes, and amounts show as
/// the card and the printout show them. The record set's rows are shared, never copied into
/// texts.
class ListGridSource : public suite::GridSource {
public:
    /// How a column turns its display text into the text shown.
    enum class Shown { AsIs, YesNo, SignFlag, AccProperty, Amount };

    ListGridSource(RecordsetPtr rs, QStringList yesNoText, QStringList signFlagText,
                   QStringList accPropertyText);

    /// The display value of one field value: empty text for Null, nothing for the two fields
    /// the list never shows, Booleans as True/False, dates in ISO form, other values as they are.
    static QVariant displayValue(const QVariant& value, const QString& fieldName);

    /// Shows the fields as the list does: Booleans as yes or no, the sign flag and the account
    /// property by their texts, the amounts the display style names with its decimals.
    void showAsList(IPub* pub, const ComVar* comVar);
    /// Shows the columns as another source over the same fields does.
    void showAs(const ListGridSource& other);
    void setShown(int col, Shown shown);
    /// Shows a column as an amount with the decimals given, if its field is a number with
    /// decimals; as it is otherwise.
    void setAmount(int col, int decimals);

    int rowCount() const override;
    QString text(int row, int col) const override;
    /// text() as UTF-8, copied from the record set's cells without a string in between for
    /// the kinds of cell a list is made of; any other goes by way of text().
    void appendUtf8(int row, int col, QByteArray& out) const override;

private:
    RecordsetPtr m_rs;
    QStringList m_yesNoText;
    QStringList m_signFlagText;
    QStringList m_accPropertyText;
    QVector<Shown> m_shown;
    /// Per grid column, the decimals of an Amount column.
    QVector<int> m_decimals;
    /// The texts shown, as UTF-8.
    QByteArrayList m_accPropertyUtf8;
    QByteArray m_noUtf8, m_yesUtf8;
    QByteArrayList m_signFlagUtf8;
    QVector<bool> m_hiddenField;

    /// The display text of a cell (what text() maps) appended, if it can be had from the
    /// stored bytes alone; false with nothing appended otherwise.
    bool appendDisplayUtf8(int row, int field, QByteArray& out) const;
    /// An Amount cell's text from its stored number, if it is one; false with nothing appended
    /// otherwise.
    bool appendAmountUtf8(int row, int field, QByteArray& out) const;
    QString shownText(const QString& display, int col) const;
};

} // namespace tarvo
