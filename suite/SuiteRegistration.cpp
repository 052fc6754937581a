#include "SuiteRegistration.h"

#include "ClassRegistry.h"
#include "about/AboutBox.h"
#include "colset/ClsColSet.h"
#include "print/PrintControl.h"
#include "pub/Pub.h"
#include "refer/ReferClient.h"
#include "rowauth/ClsRowAuth.h"
#include "srvtrans/ClsCommon.h"

namespace tarvo::suite {

void registerSuiteClasses() {
    auto& reg = ClassRegistry::instance();
    reg.registerClass(QStringLiteral("TarvoPub.IPub"), [] { return std::make_shared<Pub>(); });
    reg.registerClass(QStringLiteral("PRINTCONTROLLib.PrintControl"),
                      [] { return std::make_shared<PrintControl>(); });
    reg.registerClass(QStringLiteral("PAbout.IAbout"), [] { return std::make_shared<AboutBox>(); });
    reg.registerClass(QStringLiteral("TarvoSrvTrans.IClsCommon"),
                      [] { return std::make_shared<ClsCommon>(); });
    reg.registerClass(QStringLiteral("MoxReferC.MoxReferClient"),
                      [] { return std::make_shared<ReferClient>(); });
    reg.registerClass(QStringLiteral("TarvoRowAuthsvr.clsRowAuth"),
                      [] { return std::make_shared<ClsRowAuth>(); });
    const auto colSet = [] { return std::make_shared<ClsColSet>(); };
    reg.registerClass(QStringLiteral("TarvoColumnSet.clsColSet"), colSet);
    // The earlier build of the component asks for the column-set object by its older name.
    reg.registerClass(QStringLiteral("Tarvocolset.clsColSet"), colSet);
}

} // namespace tarvo::suite
