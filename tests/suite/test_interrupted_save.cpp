#include "AlternatingRecord.h"
#include "ClsCommon.h"
#include "HelperProcess.h"
#include "TempDatabase.h"

#include <QRandomGenerator>
#include <QThread>
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
    long long saves = 0;
    for (int round = 0; round < 6; ++round) {
        HelperProcess saver({"save-loop", temp.name(), "100000"});
        ASSERT_EQ(saver.readLine(), "saving") << "round " << round;
        QThread::msleep(QRandomGenerator::global()->bounded(1, 150));
        saver.kill();

        suite::ClsCommon srv;
        srv.Init(temp.name());
        QString sql = "select * from aa_bank where cBankCode='" + alternating::kKey + "'";
        const auto rs = srv.OpenX(sql);
        ASSERT_TRUE(rs && rs->RecordCount() == 1) << srv.lastError().toStdString();
        const bool isA = stores(*rs, alternating::kA);
        ASSERT_TRUE(isA || stores(*rs, alternating::kB))
            << "round " << round << ": a mix of both versions";

        // Each save turns the record into the other version and writes its audit row in the
        // same transaction: the number of audit rows tells which version must be stored.
        QString audit = "select count(*) as n from tarvo_audit where cAction='Modify' and "
                        "cKeyValue='" +
                        alternating::kKey + "'";
        saves = srv.OpenX(audit)->Value("n").toLongLong();
        EXPECT_EQ(saves % 2 == 0, isA) << "round " << round << ", " << saves << " saves";
    }
    EXPECT_GE(saves, 6);
}
