#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

/// The columns a character takes in a terminal: two for the wide characters of Chinese,
/// Japanese and Korean (and the full-width forms), one for the others.
int terminalWidth(QStringView text);

/// Breaks a text into lines of at most width terminal columns: at blanks, and between two
/// Chinese characters, never inside a word of Latin letters, digits or an option name such as
/// "--check"; a closing mark (，、。）”) stays with what it closes and an opening one with what it
/// opens. A word wider than a line gets a line of its own. Line breaks in the text are kept.
QStringList wrapForTerminal(const QString& text, int width);

/// The help a program prints for --help: its usage line, its description, and a table of its
/// options, the names in a column of their own and the descriptions wrapped beside them, every
/// line at most width terminal columns wide.
QString helpText(const QString& usage, const QString& description, const QString& optionsHeading,
                 const QList<QCommandLineOption>& options, int width = 79);
