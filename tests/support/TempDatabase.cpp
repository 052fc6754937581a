#include "TempDatabase.h"

#include "AccountDatabase.h"

#include <gtest/gtest.h>

TempDatabase::TempDatabase() {
    EXPECT_TRUE(m_dir.isValid());
    m_name = m_dir.filePath(QStringLiteral("account.db"));
    // Create and seed it once here, so the tests time their own work, not the seeding.
    tarvo::suite::AccountDatabase::open(m_name);
}
