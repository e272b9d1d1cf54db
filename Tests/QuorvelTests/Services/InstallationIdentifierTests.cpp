#include "Platform/SettingsStore.h"
#include "Services/InstallationIdentifier.h"
#include "Support/Uuid.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(InstallationIdentifier, IsMadeOnceAndKeptInTheSettings) {
    testing::TemporaryDirectory folder;
    const QString file = QString::fromStdString((folder / "Quorvel.conf").string());
    QString first;
    {
        SettingsStore settings(file);
        first = InstallationIdentifier::current(settings);
        EXPECT_TRUE(Uuid::isUuidText(first.toStdString()));
        EXPECT_EQ(InstallationIdentifier::current(settings), first);
    }
    SettingsStore reopened(file);
    EXPECT_EQ(reopened.text("installationID"), first);
    EXPECT_EQ(InstallationIdentifier::current(reopened), first);
}

TEST(InstallationIdentifier, AStoredValueThatIsNoUuidIsReplaced) {
    testing::TemporaryDirectory folder;
    testing::writeFile(folder / "Quorvel.conf", "[General]\ninstallationID=not-a-uuid\n");
    SettingsStore settings(QString::fromStdString((folder / "Quorvel.conf").string()));
    const QString made = InstallationIdentifier::current(settings);
    EXPECT_TRUE(Uuid::isUuidText(made.toStdString()));
    EXPECT_EQ(settings.text("installationID"), made);
}

} // namespace
} // namespace quorvel
