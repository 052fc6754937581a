#pragma once

#include "ColumnCollection.h"
#include "ComVar.h"
#include "IListWindow.h"

#include <QVector>

namespace tarvo {

/// Chooses the archive's column set-up for the session, unless one is chosen already; false,
/// when the user may not use it, after saying so.
bool chooseColumnSetup(const ComVar& comVar);

/// The width of the list's row numbers, in twips: room for six digits.
constexpr int kRowNumberWidth = 600;

/// The width a column of the set-up shows with, in twips; none when the user hides it.
int shownWidth(const ColumnItem& column);

/// The order the set-up gives the list: each sorted column's field and direction, in column
/// order; "" for none.
QString columnSetupOrder(const ColumnCollection& columns);

/// The columns of the chosen set-up, shown or not, in list order, with their captions; their
/// values typed as text, which is all that is known before a row is read.
QVector<ListField> columnSetupFields();

} // namespace tarvo
