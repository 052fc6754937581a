#include "HostLanguage.h"

#include "DataFiles.h"

#include <QCoreApplication>
#include <QTranslator>

QString languageOfLocale(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Chinese:
    case QLocale::C:
    case QLocale::AnyLanguage:
        return QStringLiteral("zh-CN");
    default:
        return QStringLiteral("en-US");
    }
}

void useHostLanguage(const QString& language) {
    static QTranslator translator;
    if (translator.load(QLocale(language), QStringLiteral("tarvo-archive"), QStringLiteral("_"),
                        tarvo::dataFile(QStringLiteral("translations"))))
        QCoreApplication::installTranslator(&translator);
}
