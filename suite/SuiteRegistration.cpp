#include "SuiteRegistration.h"

#include "ClassRegistry.h"
#include "about/AboutBox.h"
#include "colset/ClsColSet.h"
#include "controls/DatePicker.h"
#include "controls/FileDialogs.h"
#include "ledger/LedgerObjects.h"
#include "print/PrintControl.h"
#include "print/TableReader.h"
#include "pub/Pub.h"
#include "refer/ReferClient.h"
#include "rowauth/ClsRowAuth.h"
#include "srvtrans/ClsBranchDirectory.h"
#include "srvtrans/ClsCommon.h"
#include "srvtrans/ClsHistory.h"

namespace tarvo::suite {

void registerSuiteClasses() {
    lookAtNamesOnlyEverywhere();
    auto& reg = ClassRegistry::instance();
    reg.registerClass(QStringLiteral("TarvoPub.IPub"), [] { return std::make_shared<Pub>(); });
    reg.registerClass(QStringLiteral("PRINTCONTROLLib.PrintControl"),
                      [] { return std::make_shared<PrintControl>(); });
    reg.registerClass(QStringLiteral("TarvoPrint.TableReader"),
                      [] { return std::make_shared<TableReader>(); });
    reg.registerClass(QStringLiteral("PAbout.IAbout"), [] { return std::make_shared<AboutBox>(); });
    reg.registerClass(QStringLiteral("TarvoSrvTrans.IClsCommon"),
                      [] { return std::make_shared<ClsCommon>(); });
    reg.registerClass(QStringLiteral("TarvoSrvTrans.IHistory"),
                      [] { return std::make_shared<ClsHistory>(); });
    reg.registerClass(QStringLiteral("TarvoSrvTrans.IBranchDirectory"),
                      [] { return std::make_shared<ClsBranchDirectory>(); });
    reg.registerClass(QStringLiteral("MoxReferC.MoxReferClient"),
                      [] { return std::make_shared<ReferClient>(); });
    reg.registerClass(QStringLiteral("TarvoRowAuthsvr.clsRowAuth"),
                      [] { return std::make_shared<ClsRowAuth>(); });
    reg.registerClass(QStringLiteral("ZzPub.clsPub"), [] { return std::make_shared<LedgerPub>(); });
    reg.registerClass(QStringLiteral("ZzPub.clsViewAbout"),
                      [] { return std::make_shared<ViewAbout>(); });
    reg.registerClass(QStringLiteral("KmRef.clsKmRef"), [] { return std::make_shared<KmRef>(); });
    reg.registerClass(QStringLiteral("MoxDbKit.MoxDatabase"),
                      [] { return std::make_shared<MoxDatabase>(); });
    reg.registerClass(DatePicker::classId(), [] { return std::make_shared<DatePicker>(); });
    const auto colSet = [] { return std::make_shared<ClsColSet>(); };
    reg.registerClass(QStringLiteral("TarvoColumnSet.clsColSet"), colSet);
    // The earlier build of the component asks for the column-set object by its older name.
    reg.registerClass(QStringLiteral("Tarvocolset.clsColSet"), colSet);
}

} // namespace tarvo::suite
