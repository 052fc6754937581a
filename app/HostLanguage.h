#pragma once

#include <QLocale>
#include <QString>

/// The session language a run takes when it names none: English for a desktop set to English
/// or any other language the suite does not carry, Chinese for a Chinese one and for a machine
/// that states no language at all (the C and POSIX locales), since Chinese is the program's own.
QString languageOfLocale(const QLocale& locale);

/// The host's own texts in the session language; Chinese, their source, needs no file.
void useHostLanguage(const QString& language);
