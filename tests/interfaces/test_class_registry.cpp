#include "ClassRegistry.h"
#include "IRowAuth.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tarvo;

namespace {

struct FakeRowAuth : IRowAuth {
    void Init(const QString&, const QString&) override {}
};
struct Other : HostObject {};

struct RegistryTest : ::testing::Test {
    void TearDown() override {
        for (const char* id : {"Test.RowAuth", "Test.Other", "Test.Broken"})
            ClassRegistry::instance().unregisterClass(QString::fromLatin1(id));
    }
};

} // namespace

TEST_F(RegistryTest, CreatesByProgIdWithoutRegardToCase) {
    ClassRegistry::instance().registerClass("Test.RowAuth",
                                            [] { return std::make_shared<FakeRowAuth>(); });
    EXPECT_NE(createObject<IRowAuth>("test.rowauth"), nullptr);
    auto a = createObject<IRowAuth>("Test.RowAuth");
    auto b = createObject<IRowAuth>("Test.RowAuth");
    EXPECT_NE(a, b) << "each creation is a new object";
}

TEST_F(RegistryTest, WhatCannotBeCreatedIsNull) {
    EXPECT_EQ(createObject<IRowAuth>("Test.Unknown"), nullptr);
    ClassRegistry::instance().registerClass("Test.Other", [] { return std::make_shared<Other>(); });
    EXPECT_EQ(createObject<IRowAuth>("Test.Other"), nullptr) << "wrong interface";
    ClassRegistry::instance().registerClass(
        "Test.Broken", []() -> HostObjectPtr { throw std::runtime_error("no server"); });
    EXPECT_EQ(createObject<IRowAuth>("Test.Broken"), nullptr);
    ClassRegistry::instance().unregisterClass("Test.Other");
    EXPECT_FALSE(ClassRegistry::instance().isRegistered("Test.Other"));
}
