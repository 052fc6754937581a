#include "ComponentRegistration.h"

#include "ClassRegistry.h"
#include "ITarvoArchive.h"
#include "TypeLibrary.h"

extern "C" void tarvoArchiveRegisterClasses() {
    qRegisterMetaType<tarvo::LoginPtr>();
#ifndef TARVOARCHIVE_EARLIER_BUILD
    qRegisterMetaType<tarvo::BusinessPtr>();
#endif
    tarvo::ClassRegistry::instance().registerClass(QString::fromLatin1(tarvo::kProgId), [] {
        return std::make_shared<tarvo::ITarvoArchive>();
    });
}
