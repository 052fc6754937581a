#pragma once

#include "AccountDatabase.h"

#include <QTemporaryDir>

/// One seeded SQLite database for a whole fuzzing run: seeding it per input would leave no
/// time for the inputs.
inline tarvo::suite::AccountDatabase& fuzzDatabase() {
    static QTemporaryDir dir;
    static auto db = tarvo::suite::AccountDatabase::open(dir.filePath(QStringLiteral("fuzz.db")));
    return *db;
}

/// A broken promise of the code under test: stop here so that the fuzzer keeps the input.
#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (false)
