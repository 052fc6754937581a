#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace tarvo::suite {

/// Makes a file dialog tell files apart by their names alone. Qt's own dialog reads the first
/// bytes of every file it lists whose name does not give its type away, such as the accounting
/// database's "-wal" and "-shm" files. Closing such a read drops every POSIX lock the process
/// holds on that file, SQLite's included; the next program to open the database then takes the
/// write-ahead log for abandoned and deletes it under this one. The dialog also lists types,
/// sizes and dates in the session language.
void lookAtNamesOnly(QFileDialog& dialog);

/// Does the same for every file dialog the process shows from now on, Qt's own ones too (the
/// print dialog's file chooser and the completer of its file name), and keeps out the
/// platform's native dialogs, which read the files they list themselves. Safe to call more than
/// once.
void lookAtNamesOnlyEverywhere();

/// Asks for an existing file to open, with a dialog that looks at names only; empty when the
/// clerk cancels.
QString chooseFileToOpen(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter);

} // namespace tarvo::suite
