#include <gtest/gtest.h>

#include <string>

#include "resources.h"

namespace {

using orbitone::platform::findResource;
using orbitone::platform::moduleHandle;

std::string text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

TEST(Resources, AreFoundByTypeAndIdWithTheirExactBytes) {
    struct Case {
        const char* type;
        int id;
        const char* expected;
    } cases[] = {
        {"TESTDATA", 7, "hello"},
        {"TESTDATA", 8, "thirteen byte"},
        {"TESTDATA", 9, ""},
        {"OTHER", 7, "thirteen byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.id));
        auto bytes = findResource(moduleHandle(), c.type, c.id);
        EXPECT_EQ(text(bytes), c.expected);
    }
}

TEST(Resources, MissingTypeOrIdGivesNothing) {
    EXPECT_TRUE(findResource(nullptr, "TESTDATA", 10).empty());
    EXPECT_TRUE(findResource(nullptr, "TESTDAT", 7).empty());   // a prefix is not the type
    EXPECT_TRUE(findResource(nullptr, "TESTDATAX", 7).empty());
    EXPECT_TRUE(findResource(nullptr, "", 7).empty());
    EXPECT_TRUE(findResource(nullptr, "TESTDATA", -1).empty());
}

TEST(Resources, BelongToTheirOwnModuleOnly) {
    int elsewhere = 0;
    EXPECT_TRUE(findResource(&elsewhere, "TESTDATA", 7).empty());
    EXPECT_EQ(text(findResource(nullptr, "TESTDATA", 7)), "hello");
}

}  // namespace
