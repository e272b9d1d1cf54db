#include "Support/Uuid.h"

#include <gtest/gtest.h>
#include <set>

namespace quorvel {
namespace {

TEST(Uuid, RandomIsAnUpperCaseVersionFourUuidThatDiffersEachTime) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string text = Uuid::random();
        EXPECT_TRUE(Uuid::isUuidText(text)) << text;
        EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos) << text;
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);
}

} // namespace
} // namespace quorvel
