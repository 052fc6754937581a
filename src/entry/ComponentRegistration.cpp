#include "ComponentRegistration.h"

#include "ClassRegistry.h"
#include "ITarvoArchive.h"
#include "TypeLibrary.h"

extern "C" void tarvoArchiveRegisterClasses() {
    qRegisterMetaType<tarvo::LoginPtr>();
    qRegisterMetaType<tarvo::BusinessPtr>();
    tarvo::ClassRegistry::instance().registerClass(QString::fromLatin1(tarvo::kProgId), [] {
        return std::make_shared<tarvo::ITarvoArchive>();
    });
}
