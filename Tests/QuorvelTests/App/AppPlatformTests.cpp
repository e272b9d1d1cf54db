#include "App/AppPlatform.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::ScopedEnvironmentVariable;
using testing::TemporaryDirectory;

TEST(AppPlatform, TheDesktopLocatesAnOrcaWithoutDesktopEntryFromItsConfiguredProgram) {
    TemporaryDirectory root;
    ScopedEnvironmentVariable home("HOME", (root / "home").string());
    ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", (root / "data").string());
    ScopedEnvironmentVariable dataDirs("XDG_DATA_DIRS", (root / "system-data").string());
    ScopedEnvironmentVariable configured(OrcaInstallation::programVariable, std::nullopt);
    const auto program = root / "opt/Orca/orca-app";
    testing::writeFile(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);

    const AppPlatform platform = AppPlatform::forThisDesktop();
    EXPECT_EQ(platform.locateOrca(), std::nullopt) << "no desktop entry and nothing configured";
    ScopedEnvironmentVariable set(OrcaInstallation::programVariable, program.string());
    const auto installation = platform.locateOrca();
    ASSERT_TRUE(installation);
    EXPECT_EQ(installation->tool, root / "opt/Orca/resources/bin/orca");
    EXPECT_EQ(installation->desktopEntry, std::nullopt);
}

} // namespace
} // namespace quorvel
