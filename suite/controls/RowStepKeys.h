#pragma once

class QEvent;
class QObject;

namespace tarvo::suite {

/// A search box over a list of rows: the arrow and page keys pressed in the box step through
/// the rows instead, so the clerk can narrow, step and press Enter without leaving the keys.
/// Call from the dialog's event filter; true when the key went to the rows.
bool stepRowsFromSearchBox(QObject* watched, QEvent* event, const QObject* box, QObject* rows);

} // namespace tarvo::suite
