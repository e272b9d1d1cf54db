#include "Platform/SettingsStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

class SettingsStoreTest : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    QString file = QString::fromStdString((folder / "Quorvel.conf").string());

    void writeSettings(std::string_view lines) { testing::writeFile(folder / "Quorvel.conf", lines); }
};

TEST_F(SettingsStoreTest, BooleansCountOnlyWhenStoredExactlyAsBooleans) {
    writeSettings("[General]\na=true\nb=false\nc=yes\nd=1\ne=True\nf=\"true\"\n");
    SettingsStore store(file);
    EXPECT_EQ(store.boolean("a"), true);
    EXPECT_EQ(store.boolean("b"), false);
    for (const char* key : {"c", "d", "e", "missing"})
        EXPECT_EQ(store.boolean(QString::fromLatin1(key)), std::nullopt) << key;
}

TEST_F(SettingsStoreTest, IntegersReadInFullOrNotAtAll) {
    writeSettings("[General]\na=4\nb=-3\nc=4x\nd=\ne=true\n");
    SettingsStore store(file);
    EXPECT_EQ(store.integer("a"), 4);
    EXPECT_EQ(store.integer("b"), -3);
    for (const char* key : {"c", "d", "e", "missing"})
        EXPECT_EQ(store.integer(QString::fromLatin1(key)), std::nullopt) << key;
}

TEST_F(SettingsStoreTest, WrittenValuesReadBackAfterReopening) {
    {
        SettingsStore store(file);
        store.set("soundsEnabled", false);
        store.set("activityWindowHours", 4);
        store.sync();
    }
    SettingsStore reopened(file);
    EXPECT_EQ(reopened.boolean("soundsEnabled"), false);
    EXPECT_EQ(reopened.integer("activityWindowHours"), 4);
}

TEST_F(SettingsStoreTest, AFileThatIsNotSettingsReadsAsEmpty) {
    testing::writeFile(folder / "Quorvel.conf", std::string("\x00\xff[[[\n=\n", 8));
    SettingsStore store(file);
    EXPECT_EQ(store.boolean("soundsEnabled"), std::nullopt);
    EXPECT_EQ(store.integer("activityWindowHours"), std::nullopt);
}

} // namespace
} // namespace quorvel
