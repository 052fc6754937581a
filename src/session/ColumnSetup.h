#pragma once

#include "ComVar.h"
#include "IListWindow.h"

#include <QVector>

namespace tarvo {

/// Chooses the archive's column set-up for the session, unless one is chosen already; false,
/// when the user may not use it, after saying so.
bool chooseColumnSetup(const ComVar& comVar);

/// The columns of the chosen set-up, shown or not, in list order, with their captions; their
/// values typed as text, which is all that is known before a row is read.
QVector<ListField> columnSetupFields();

} // namespace tarvo
