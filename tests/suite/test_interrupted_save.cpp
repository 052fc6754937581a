#include "AlternatingRecord.h"
#include "ClsCommon.h"
#include "HelperProcess.h"
#include "TempDatabase.h"

#include <QRandomGenerator>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

bool stores(const Recordset& rs, const alternating::Version& v) {
    return rs.Value("cBankName").toString() == v.bankName &&
           rs.Value("bComdFixLen").toBool() == bool(v.comdFixLen) &&
           rs.Value("iComAccNoLen").toInt() == v.comAccNoLen &&
           rs.Value("bIndFixLen").toBool() == bool(v.indFixLen) &&
           rs.Value("iIndAccNoLen").toInt() == v.indAccNoLen &&
           rs.Value("iIndAutoInputLen").toInt() == v.indAutoInputLen &&
           rs.Value("cIndUnitcode").toString() == v.indUnitcode;
}

} // namespace

TEST(InterruptedSave, KillingTheSavingProcessLeavesOneWholeVersionAndItsAudit) {
    TempDatabase temp;
    {
        suite::ClsCommon srv;
        srv.Init(temp.name());
        QString xml = alternating::kA.xml(), err;
        ASSERT_TRUE(srv.Add(xml, "aa_bank", err)) << err.toStdString();
    }
    // Each save turns the record into the other version and writes its audit row in the same
    // transaction: the number of audit rows tells which version must be stored.
    const auto savesSoFar = [&](suite::ClsCommon& srv) {
        QString audit = "select count(*) as n from tarvo_audit where cAction='Modify' and "
                        "cKeyValue='" +
                        alternating::kKey + "'";
        const auto rs = srv.OpenX(audit);
        return rs ? rs->Value("n").toLongLong() : -1;
    };
    long long saves = 0;
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        HelperProcess saver({"save-loop", temp.name(), "100000"});
        EXPECT_EQ(saver.readLine(), "saving");
        // Killed while it saves, at a place the saves it stored so far choose.
        const long long target = saves + QRandomGenerator::global()->bounded(1, 40);
        {
            suite::ClsCommon watch;
            watch.Init(temp.name());
            EXPECT_TRUE(QTest::qWaitFor([&] { return savesSoFar(watch) >= target; }, 30000));
        }
        saver.kill();

        suite::ClsCommon srv;
        srv.Init(temp.name());
        QString sql = "select * from aa_bank where cBankCode='" + alternating::kKey + "'";
        const auto rs = srv.OpenX(sql);
        const bool one = rs && rs->RecordCount() == 1;
        EXPECT_TRUE(one) << srv.lastError().toStdString();
        if (!one)
            continue;
        const bool isA = stores(*rs, alternating::kA);
        EXPECT_TRUE(isA || stores(*rs, alternating::kB)) << "a mix of both versions";
        saves = savesSoFar(srv);
        EXPECT_EQ(saves % 2 == 0, isA) << saves << " saves";
    }
    EXPECT_GE(saves, 6);
}
