#include "App/ImageTinting.h"
#include "App/MenuIcons.h"
#include "App/MenuLogo.h"
#include "Platform/ResourceBundle.h"
#include "Platform/SystemColours.h"
#include "Support/AppHarness.h"
#include "Support/PixelCount.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::countPixels;
using testing::isOpaque;

QString savedPicture(const testing::TemporaryDirectory& folder, const QImage& image, const char* name) {
    const QString path = QString::fromStdString((folder / name).string());
    EXPECT_TRUE(image.save(path));
    return path;
}

// A white rectangle of `mark` pixels on a black picture of `canvas` pixels, at `at`.
QImage markOnBlack(QSize canvas, QRect mark) {
    QImage image(canvas, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter(&image).fillRect(mark, Qt::white);
    return image;
}

TEST(MenuLogo, AWhiteMarkOnBlackBecomesAMaskTrimmedToTheMarkAndCentred) {
    testing::TemporaryDirectory folder;
    const auto path = savedPicture(folder, markOnBlack({400, 300}, QRect(100, 120, 200, 50)), "logo.png");
    const auto mask = MenuLogo::mask(path, 16);
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->size(), QSize(16, 16));
    // 200 x 50 becomes 16 x 4, centred vertically: rows 6 to 9.
    for (int x : {0, 8, 15}) {
        EXPECT_EQ(countPixels(*mask, isOpaque, QRect(x, 0, 1, mask->height())), 4) << x;
        EXPECT_EQ(mask->pixelColor(x, 5).alpha(), 0);
        EXPECT_EQ(mask->pixelColor(x, 6).alpha(), 255);
        EXPECT_EQ(mask->pixelColor(x, 9).alpha(), 255);
        EXPECT_EQ(mask->pixelColor(x, 10).alpha(), 0);
    }
    EXPECT_EQ(mask->pixelColor(8, 7), QColor(Qt::white));
}

TEST(MenuLogo, ABlackOrUnreadablePictureGivesNoMask) {
    testing::TemporaryDirectory folder;
    EXPECT_FALSE(MenuLogo::mask(savedPicture(folder, markOnBlack({64, 64}, QRect()), "black.png"), 16));
    testing::writeFile(folder / "broken.png", "\x89PNG\r\n\x1a\n not really");
    EXPECT_FALSE(MenuLogo::mask(QString::fromStdString((folder / "broken.png").string()), 16));
    EXPECT_FALSE(MenuLogo::mask(QString::fromStdString((folder / "missing.png").string()), 16));
}

TEST(MenuLogo, LuminanceBecomesAlpha) {
    QImage grey(1, 1, QImage::Format_RGB32);
    grey.setPixelColor(0, 0, QColor(128, 128, 128));
    EXPECT_NEAR(MenuLogo::maskToAlpha(grey).pixelColor(0, 0).alpha(), 128, 1);
    QImage transparent(1, 1, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    EXPECT_EQ(MenuLogo::maskToAlpha(transparent).pixelColor(0, 0).alpha(), 0);
}

TEST(ImageTinting, TheColourReplacesDrawnPixelsAndKeepsTheirAlpha) {
    QImage icon(4, 4, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    icon.setPixelColor(0, 0, QColor(0, 0, 0, 255));
    icon.setPixelColor(1, 0, QColor(0, 0, 0, 128));
    const QColor red = SystemColours::red(Appearance::light);
    const QImage result = tinted(icon, red, QSizeF(4, 4));
    EXPECT_EQ(result.pixelColor(0, 0), red);
    EXPECT_NEAR(result.pixelColor(1, 0).alpha(), 128, 1);
    EXPECT_NEAR(result.pixelColor(1, 0).red(), red.red(), 2);
    EXPECT_EQ(result.pixelColor(2, 2).alpha(), 0);
    EXPECT_EQ(tinted(icon, red, QSizeF(4, 4), 2).size(), QSize(8, 8));
}

TEST(MenuIcons, StateIconsAreTintedLucideIconsWithTheirLabel) {
    const MenuIcons icons(ResourceBundle::module());
    for (LightState state : LightStates::allCases) {
        const QImage image = icons.stateIcon(state, 0, 1);
        EXPECT_EQ(image.size(), QSize(18, 18));
        EXPECT_EQ(image.text("Description"),
                  QString::fromUtf8(std::string(LightStates::label(state)).c_str()));
        const auto inStateColour = [state](const QColor& pixel) {
            return pixel.alpha() == 255 && pixel.rgb() == MenuIcons::stateColour(state, 0).rgb();
        };
        EXPECT_GT(countPixels(image, inStateColour), 10) << int(state);
    }
    EXPECT_EQ(icons.stateIcon(LightState::waiting, 0, 2).size(), QSize(36, 36));
}

TEST(MenuIcons, MissingOrUnreadableArtworkGivesBlankIconsAndLetterMarks) {
    testing::TemporaryDirectory folder;
    testing::writeFile(folder / "Lucide" / "circle-alert.png", "not a picture");
    testing::writeFile(folder / "openai-blossom.svg", "<svg");
    const ResourceBundle broken(QString::fromStdString(folder.path().string()));
    const MenuIcons icons(broken);
    for (LightState state : {LightState::waiting, LightState::done}) {
        const QImage image = icons.stateIcon(state, 0, 1);
        EXPECT_EQ(image.size(), QSize(18, 18));
        EXPECT_EQ(image.pixelColor(9, 9).alpha(), 0);
    }
    const QImage codex = icons.providerIcon(TaskProvider::codex, false, 1);
    EXPECT_EQ(codex.size(), QSize(16, 16));
    EXPECT_EQ(codex.pixelColor(1, 8).rgb(), SystemColours::gray().rgb()); // the "L" square
    EXPECT_TRUE(icons.updateIcon(1).size() == QSize(16, 16));
}

TEST(MenuIcons, ProviderMarks) {
    const MenuIcons icons(ResourceBundle::module());
    EXPECT_EQ(icons.providerIcon(TaskProvider::claude, false, 1).pixelColor(1, 8).rgb(),
              QColor::fromRgbF(0.85f, 0.35f, 0.16f).rgb());
    EXPECT_EQ(icons.providerIcon(TaskProvider::local, false, 1).pixelColor(1, 8).rgb(),
              SystemColours::gray().rgb());
    EXPECT_EQ(icons.providerIcon(TaskProvider::local, true, 1).pixelColor(1, 8).red(), qRound(0.48 * 255));
    const QImage codex = icons.providerIcon(TaskProvider::codex, false, 1);
    EXPECT_EQ(codex.pixelColor(0, 0).alpha(), 0); // the shipped mark, not a filled square
    EXPECT_GT(countPixels(codex, isOpaque), 20);
}

TEST(MenuIcons, ARowImagePlacesTheMarkAndTheStateIcon) {
    QImage mark(16, 16, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::red);
    QImage state(18, 18, QImage::Format_ARGB32_Premultiplied);
    state.fill(Qt::blue);
    const QImage row = MenuIcons::rowImage(mark, state, 1);
    EXPECT_EQ(row.size(), QSize(42, 18));
    EXPECT_EQ(row.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(row.pixelColor(0, 1), QColor(Qt::red));
    EXPECT_EQ(row.pixelColor(15, 16), QColor(Qt::red));
    EXPECT_EQ(row.pixelColor(20, 9).alpha(), 0);
    EXPECT_EQ(row.pixelColor(24, 0), QColor(Qt::blue));
    EXPECT_EQ(row.pixelColor(41, 17), QColor(Qt::blue));
    EXPECT_EQ(MenuIcons::rowImage(std::nullopt, state, 1).pixelColor(5, 5).alpha(), 0);
}

TEST(TaskSourceIcons, DescribeTheProviderAndTheState) {
    testing::AppHarness harness;
    auto& delegate = harness.create();
    EXPECT_EQ(delegate.taskSourceImage(TaskProvider::codex, false, LightState::working).text("Description"),
              "Codex, Working");
    EXPECT_EQ(delegate.taskSourceImage(TaskProvider::local, false, LightState::failed).text("Description"),
              "Local, Failed");
    EXPECT_EQ(delegate.taskSourceImage(TaskProvider::claude, true, LightState::unread).text("Description"),
              "Orca, Finished \u00B7 unread");
    ASSERT_TRUE(delegate.orcaAppIcon());
    EXPECT_EQ(delegate.orcaAppIcon()->size(), QSize(16, 16));
    // The Orca mark is drawn in the label colour where the provider mark goes.
    const QImage orca = delegate.taskSourceImage(TaskProvider::claude, true, LightState::done);
    EXPECT_GT(countPixels(orca, isOpaque, QRect(0, 1, 16, 16)), 20);
}

} // namespace
} // namespace quorvel
