#pragma once

#include "SuiteContext.h"

#include <QString>

namespace tarvo::suite {

/// The suite's dialogs speak Chinese unless the session asked for English.
inline bool englishSession() {
    return sessionLanguage().startsWith(u"en", Qt::CaseInsensitive);
}

/// A text of the suite's dialogs in the session language.
inline QString uiText(const char* zh, const char* en) {
    return QString::fromUtf8(englishSession() ? en : zh);
}

} // namespace tarvo::suite
