#pragma once

#include "IClsCommon.h"
#include "Recordset.h"

#include <QHash>
#include <QString>
#include <QVariant>

class QWidget;

namespace tarvo {
namespace suite {
class Edit;
}

/// Ties a card's reference edits to rows of other tables: pick lists, code-to-name display,
/// checks of typed codes, and the conversions of stored values for display.
namespace ModRef {

/// The match condition for what is typed in the edit, over the table's match columns; empty
/// for a table without a pick list.
QString GetMatchString(suite::Edit& edit, const QString& table);

/// Shows the pick list of a table limited by the condition and what is typed; ok tells whether
/// rows were chosen, rows holds them then. condition comes back as it was sent.
void OpenReference(suite::Edit& edit, const QString& table, RecordsetPtr& rows, bool& ok,
                   QString& condition);

/// Writes the current chosen row into the edit: the name into Text, the code into Tag and the
/// tooltip. codeSpec "key,code" stores key and shows code.
void SetRefEditFromRow(const RecordsetPtr& rows, bool ok, suite::Edit& edit,
                       const QString& codeSpec, const QString& nameColumn);

/// Shows the code stored in the record's source column, with its name, in the edit; empties
/// the edit when the code matches no row or more than one.
void FillCodeName(ClsCommonPtr& db, suite::Edit& edit, const RecordsetPtr& record,
                  const QString& sourceColumn, const QString& table, const QString& codeColumn,
                  const QString& nameColumn);

/// The name of every code of a table the routines know (banks, ledger accounts), as
/// FillCodeName shows a stored code; empty for a table without codes.
QHash<QString, QString> NamesByCode(ClsCommonPtr& db, const QString& table);

/// Checks a code or name typed by hand: completes the edit when it names one row of the table,
/// refuses it (message, edit emptied and focused) when none; True when acceptable.
bool CheckTypedCode(QString& table, suite::Edit& edit, QString& condition);

/// The default when the value is Null, else the value.
QVariant NullToDefault(const QVariant& value, const QVariant& defaultValue);
/// The field of the current row, or the default when it is Null or cannot be read.
QVariant NullToDefault(const RecordsetPtr& rs, const QString& field, const QVariant& defaultValue);

/// 1 when the value reads as true, else 0; a value that cannot be read gives 1 only when the
/// default is 1.
qint16 FieldToCheckValue(const QVariant& value, qint16 defaultValue);
qint16 FieldToCheckValue(const RecordsetPtr& rs, const QString& field, qint16 defaultValue);

void ClearRefEdit(suite::Edit& edit);
/// Forgets the code of an earlier choice, so that a typed text is never saved with it.
void ClearRefEditCode(suite::Edit& edit);

/// Lets the user pick an end-level ledger account, starting from the edit's text; a choice
/// puts the account code into Tag and its name into Text, and leaves the tooltip alone.
void ShowAccountCodeReference(suite::Edit& edit);

/// Shows the calendar below the edit within the container, or above it near the container's
/// bottom, and puts the picked date into the edit; leaving the calendar changes nothing.
void ShowDatePicker(suite::Edit& edit, QWidget* container);

} // namespace ModRef
} // namespace tarvo
