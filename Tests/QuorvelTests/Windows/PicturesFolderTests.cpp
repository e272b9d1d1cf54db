#include "TestSupport.h"
#include "Windows/PicturesFolder.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::ScopedEnvironmentVariable;

// The report window's file chooser starts in the user's pictures folder, named in user-dirs.dirs.
TEST(PicturesFolder, IsTheUsersPicturesFolderElseTheHomeFolder) {
    testing::TemporaryDirectory home;
    ScopedEnvironmentVariable homeVariable("HOME", home.path().string());
    ScopedEnvironmentVariable config("XDG_CONFIG_HOME", (home / ".config").string());
    const auto path = [] { return PicturesFolder::path().toStdString(); };

    EXPECT_EQ(path(), home.path().string()) << "nothing named, no Pictures folder";

    testing::writeFile(home / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(path(), home.path().string()) << "the named folder does not exist";
    std::filesystem::create_directory(home / "Bilder");
    EXPECT_EQ(path(), (home / "Bilder").string());

    testing::writeFile(home / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(path(), home.path().string()) << "the folder turned off, as xdg-user-dirs does it";
}

} // namespace
} // namespace quorvel
