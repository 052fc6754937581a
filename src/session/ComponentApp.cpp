#include "ComponentApp.h"

#include "TypeLibrary.h"

#include <QObject>
#include <QVariant>

namespace tarvo {

QObject* ComponentApp() {
    static QObject* app = [] {
        auto* o = new QObject;
        o->setObjectName(QStringLiteral("TarvoArchive"));
        o->setProperty("version", QString::fromLatin1(kTypeLibraryVersion));
        return o;
    }();
    return app;
}

} // namespace tarvo
