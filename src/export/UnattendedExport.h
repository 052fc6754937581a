#pragma once

namespace tarvo {

class ComVar;

/// A script's export of an archive's list into the session's unattended export file, without a
/// window: the rows, columns, captions and texts the list window would show on opening, from
/// the user's column set-up, written by the print control as the window's output command
/// writes them. The rows are read and written a chunk at a time, so that a long list is never
/// held. False, after saying why, when no file was written.
bool exportUnattended(ComVar& comVar);

/// Has what exportUnattended asks first of the database (the user's column set-up, print
/// style and options) sent along with the session's start, before it is run in that session.
void expectUnattendedExport(const ComVar& comVar);

} // namespace tarvo
