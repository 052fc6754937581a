#include "ComponentLanguage.h"

#include "DataFiles.h"

#include <QCoreApplication>
#include <QTranslator>

namespace tarvo {

void useComponentLanguage(const QString& localeId) {
    static QTranslator* installed = nullptr;
    const QString wanted = dataFile(QStringLiteral("translations/tarvoarchive_%1.qm")
                                        .arg(QString(localeId).replace(u'-', u'_')));
    if (installed && installed->filePath() == wanted)
        return;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    // Chinese is the source language: no file, nothing to install.
    if (!translator->load(wanted))
        return;
    installed = translator.release();
    QCoreApplication::installTranslator(installed);
}

} // namespace tarvo
