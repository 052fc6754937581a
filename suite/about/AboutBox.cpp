#include "AboutBox.h"

#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QApplication>
#include <QMessageBox>
#include <QSysInfo>

namespace tarvo::suite {

QString AboutBox::text() {
    const ResourceTable& res = ResourceTable::forLanguage(sessionLanguage());
    return res.format(QStringLiteral("Tarvo.SUITE.about.text"), {QStringLiteral("1.1")}) +
           QStringLiteral("\n\n%1  %2\nQt %3")
               .arg(currentUser(), QSysInfo::machineHostName(), QString::fromLatin1(qVersion()));
}

void AboutBox::Show(QObject* owner) {
    auto* parent = qobject_cast<QWidget*>(owner);
    QMessageBox box(QMessageBox::Information,
                    ResourceTable::forLanguage(sessionLanguage())
                        .text(QStringLiteral("Tarvo.SUITE.about.title")),
                    text(), QMessageBox::Ok, parent ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("AboutBox"));
    box.exec();
}

} // namespace tarvo::suite
