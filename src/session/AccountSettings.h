#pragma once

#include "ComVar.h"
#include "Recordset.h"

namespace tarvo {

/// Loads the account settings and display texts of a session: the decimals of the balance
/// into ArchiveSession.iBalanceDecimals and the descriptor's display style, the yes/no and
/// sign-flag texts. Errors reach the caller.
void LoadAccountSettings(ComVar& comVar);
/// The statement LoadAccountSettings gives the server transaction object.
QString AccountSettingsSql();

/// Sets the record set's filter and hands it back.
RecordsetPtr FilterRecordset(RecordsetPtr rs, const QString& filter);

/// The most decimals an amount is shown with; amounts are stored with four.
constexpr qint16 kMaxBalanceDecimals = 10;

/// The decimals a stored setting text stands for: the number at its start (none: 0), rounded
/// to a whole number with halves to the even neighbour, kept within 0 to kMaxBalanceDecimals;
/// clamped (when given) tells whether the setting lay outside.
qint16 DecimalsFromSetting(const QString& text, bool* clamped = nullptr);

} // namespace tarvo
