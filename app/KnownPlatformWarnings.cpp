#include "KnownPlatformWarnings.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler previousHandler = nullptr;

/// Both say only that the platform behaves as it always does on such a machine; the program
/// works the same with or without them.
bool knownPlatformWarning(QtMsgType type, const QString& text) {
    return type == QtWarningMsg &&
           (text == u"This plugin does not support propagateSizeHints()" ||
            (text.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '") &&
             text.endsWith(u'\'')));
}

void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (knownPlatformWarning(type, text))
        return;
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

void dropKnownPlatformWarnings() {
    if (!previousHandler)
        previousHandler = qInstallMessageHandler(handle);
}
