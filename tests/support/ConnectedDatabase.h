#pragma once

#include "ClsCommon.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

/// A test on a fresh accounting database, reached through the server transaction object.
struct ConnectedDatabase : ::testing::Test {
    TempDatabase temp;
    tarvo::suite::ClsCommon db;
    void SetUp() override {
        db.Init(temp.name());
        ASSERT_TRUE(db.Status()) << db.lastError().toStdString();
    }
    /// Everything stored in the archives, the audit and the history.
    QString snapshot() { return storedRows(db); }
};
