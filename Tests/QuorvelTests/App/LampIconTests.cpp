#include "App/LampIcon.h"
#include "Support/PixelCount.h"

#include <QColor>
#include <QPainter>
#include <gtest/gtest.h>
#include <numbers>

namespace quorvel {
namespace {

constexpr double pi = std::numbers::pi;

LampIcon lamps(int red, int amber, int blue, int green) {
    return LampIcon{TrayLampCounts(red, amber, blue, green), 0, 0, 0, Appearance::light};
}

// The un-premultiplied colour of a pixel given in points.
QColor at(const QImage& image, double x, double y) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(int(x * ratio), int(y * ratio));
}

void expectColour(const QColor& actual, const QColor& expected, int alpha, const char* where) {
    EXPECT_NEAR(actual.alpha(), alpha, 3) << where;
    EXPECT_NEAR(actual.red(), expected.red(), 4) << where;
    EXPECT_NEAR(actual.green(), expected.green(), 4) << where;
    EXPECT_NEAR(actual.blue(), expected.blue(), 4) << where;
}

// Strokes of 1.5 points cover the pixels they cross only partly at a ratio of 1.
void expectWhiteStroke(const QColor& actual, int minimumAlpha, const char* where) {
    EXPECT_GE(actual.alpha(), minimumAlpha) << where;
    EXPECT_GE(std::min({actual.red(), actual.green(), actual.blue()}), 250) << where;
}

// A lamp's interior beside its digit.
constexpr double besideDigit = 6.0;

class HorizontalLamps : public ::testing::TestWithParam<qreal> {};

TEST_P(HorizontalLamps, AreEightyOneByTwentyOnePointsWithTheirDescription) {
    const QImage image = lamps(0, 0, 0, 0).horizontal(GetParam());
    EXPECT_EQ(image.size(), QSize(qRound(81 * GetParam()), qRound(21 * GetParam())));
    EXPECT_EQ(image.devicePixelRatio(), GetParam());
    EXPECT_EQ(image.text("Description"), "Quorvel");
}

TEST_P(HorizontalLamps, TheOutlineAndEveryRingAreWhiteAndUnlitLampsAreEmpty) {
    const QImage image = lamps(0, 0, 0, 0).horizontal(GetParam());
    expectColour(at(image, 40, 0.2), Qt::white, 255, "outline top");
    expectColour(at(image, 40, 20.5), Qt::white, 255, "outline bottom");
    EXPECT_EQ(at(image, 40, 2.5).alpha(), 0) << "inside the outline";
    EXPECT_EQ(at(image, 0.2, 0.2).alpha(), 0) << "outside the rounded corner";
    for (double centre : {10.5, 30.5, 50.5, 70.5}) {
        expectWhiteStroke(at(image, centre, 4.1), 180, "ring top");
        expectWhiteStroke(at(image, centre, 16.9), 180, "ring bottom");
        EXPECT_EQ(at(image, centre, 10.5).alpha(), 0) << "empty lamp " << centre;
        EXPECT_EQ(at(image, centre - besideDigit + 2, 10.5).alpha(), 0) << "no digit " << centre;
    }
    EXPECT_EQ(at(image, 20.5, 10.5).alpha(), 0) << "between lamps";
}

TEST_P(HorizontalLamps, LitLampsAreFilledInTheirColours) {
    const QImage image = lamps(1, 2, 3, 4).horizontal(GetParam());
    expectColour(at(image, 10.5 - besideDigit + 1.5, 10.5), SystemColours::red(Appearance::light), 255,
                 "red");
    expectColour(at(image, 30.5 - besideDigit + 1.5, 10.5), LampIcon::amberColour(), 255, "amber");
    expectColour(at(image, 50.5 - besideDigit + 1.5, 10.5), SystemColours::blue(Appearance::light), 255,
                 "blue");
    expectColour(at(image, 70.5 - besideDigit + 1.5, 10.5), SystemColours::green(Appearance::light), 255,
                 "green");
}

TEST_P(HorizontalLamps, PulsingLampsFadeToTheirLowestAlphaAndGreenNeverPulses) {
    LampIcon dimmest = lamps(1, 1, 1, 1);
    dimmest.redPulsePhase = dimmest.amberPulsePhase = dimmest.bluePulsePhase = pi;
    const QImage image = dimmest.horizontal(GetParam());
    EXPECT_NEAR(at(image, 6, 10.5).alpha(), 0.05 * 255, 2);
    EXPECT_NEAR(at(image, 26, 10.5).alpha(), 0.15 * 255, 2);
    EXPECT_NEAR(at(image, 46, 10.5).alpha(), 0.15 * 255, 2);
    EXPECT_EQ(at(image, 66, 10.5).alpha(), 255);
}

TEST_P(HorizontalLamps, CountsFromTenShowInfinity) {
    const auto lampArea = [](const QImage& image) {
        const qreal r = image.devicePixelRatio();
        return image.copy(QRect(QPoint(qRound(5 * r), qRound(5 * r)), QSize(qRound(11 * r), qRound(11 * r))));
    };
    const QImage twelve = lampArea(lamps(12, 0, 0, 0).horizontal(GetParam()));
    EXPECT_EQ(twelve, lampArea(lamps(10, 0, 0, 0).horizontal(GetParam())));
    EXPECT_EQ(twelve, lampArea(lamps(999, 0, 0, 0).horizontal(GetParam())));
    EXPECT_NE(twelve, lampArea(lamps(9, 0, 0, 0).horizontal(GetParam())));
    EXPECT_NE(lampArea(lamps(9, 0, 0, 0).horizontal(GetParam())),
              lampArea(lamps(8, 0, 0, 0).horizontal(GetParam())));
    // The digit is white on the red fill.
    const auto white = [](const QColor& pixel) { return pixel.green() > 240 && pixel.alpha() > 240; };
    EXPECT_GT(testing::countPixels(twelve, white), 3 * GetParam() * GetParam());
}

INSTANTIATE_TEST_SUITE_P(AtEachPixelRatio, HorizontalLamps, ::testing::Values(1.0, 2.0));

TEST(LampIcon, AlphasStayWithinTheirBounds) {
    for (double phase = 0; phase < 2 * pi; phase += 0.01) {
        EXPECT_GE(LampIcon::redAlpha(phase), 0.05 - 1e-12);
        EXPECT_LE(LampIcon::redAlpha(phase), 1.0 + 1e-12);
        EXPECT_GE(LampIcon::pulseAlpha(phase), 0.15 - 1e-12);
        EXPECT_LE(LampIcon::pulseAlpha(phase), 1.0 + 1e-12);
    }
    EXPECT_DOUBLE_EQ(LampIcon::redAlpha(0), 1.0);
    EXPECT_DOUBLE_EQ(LampIcon::pulseAlpha(pi), 0.15);
}

TEST(LampIcon, CountTexts) {
    EXPECT_EQ(LampIcon::countText(0), QString());
    EXPECT_EQ(LampIcon::countText(1), "1");
    EXPECT_EQ(LampIcon::countText(9), "9");
    EXPECT_EQ(LampIcon::countText(10), "\u221E");
    EXPECT_EQ(LampIcon::countText(12), "\u221E");
}

TEST(LampIcon, TheTrayIconHoldsTheFourLampsTwoByTwoAtEverySize) {
    const QIcon icon = lamps(1, 1, 1, 1).trayIcon();
    QList<QSize> sizes;
    for (int pixels : {16, 22, 24, 32, 48, 64})
        sizes << QSize(pixels, pixels);
    EXPECT_EQ(icon.availableSizes(), sizes);

    for (int pixels : {16, 22, 64}) {
        const QImage square = lamps(1, 1, 0, 1).square(pixels);
        const auto point = [&](double x, double y) {
            return square.pixelColor(int(x * pixels / 22), int(y * pixels / 22));
        };
        expectColour(point(3, 5.5), SystemColours::red(Appearance::light), 255, "red, top left");
        expectColour(point(14, 5.5), LampIcon::amberColour(), 255, "amber, top right");
        EXPECT_EQ(point(3, 16.5).alpha(), 0) << "blue unlit, bottom left";
        expectColour(point(14, 16.5), SystemColours::green(Appearance::light), 255, "green, bottom right");
    }
}

// The tray picture as a panel of one colour shows it.
QImage onPanel(const QImage& picture, const QColor& panel) {
    QImage shown(picture.size(), QImage::Format_RGB32);
    shown.fill(panel);
    QPainter(&shown).drawImage(0, 0, picture);
    return shown;
}

// At least three times darker than white, or about five times lighter than a dark grey panel.
bool isDark(const QColor& pixel) {
    return qGray(pixel.rgb()) < 150;
}
bool isLight(const QColor& pixel) {
    return qGray(pixel.rgb()) > 150;
}

// Lamp `index` of the 2 x 2 picture: its quarter, and the middle of its oval where the digit sits.
QRect quarter(int pixels, int index) {
    const int half = pixels / 2;
    return {index % 2 * half, index / 2 * half, half, half};
}
QRect middle(int pixels, int index) {
    const double unit = pixels / 22.0;
    const QPointF centre((index % 2 ? 16.5 : 5.5) * unit, (index / 2 ? 16.5 : 5.5) * unit);
    return QRectF(centre - QPointF(2.5 * unit, 2.5 * unit), QSizeF(5 * unit, 5 * unit)).toAlignedRect();
}

TEST(LampIcon, TrayRingsAndFadedDigitsReadOnLightAndDarkPanels) {
    LampIcon faded = lamps(1, 1, 1, 0);
    faded.redPulsePhase = faded.amberPulsePhase = faded.bluePulsePhase = pi;
    for (int pixels : {16, 22, 30, 64}) {
        const QImage picture = faded.square(pixels);
        const QImage light = onPanel(picture, Qt::white);
        const QImage dark = onPanel(picture, QColor(32, 32, 32));
        for (int index = 0; index < 4; ++index) {
            const auto where = QStringLiteral("%1 px, ring %2").arg(pixels).arg(index).toStdString();
            EXPECT_GE(testing::countPixels(light, isDark, quarter(pixels, index)), pixels * 4 / 5) << where;
            EXPECT_GE(testing::countPixels(dark, isLight, quarter(pixels, index)), pixels / 2) << where;
        }
        for (int index = 0; index < 3; ++index) {
            const auto where = QStringLiteral("%1 px, digit %2").arg(pixels).arg(index).toStdString();
            const QRect digit = middle(pixels, index);
            EXPECT_GE(testing::countPixels(light, isDark, digit), pixels / 8) << where;
            EXPECT_GE(testing::countPixels(dark, isLight, digit), pixels / 8) << where;
        }
        EXPECT_EQ(testing::countPixels(light, isDark, middle(pixels, 3)), 0) << "nothing in an unlit lamp";
    }
}

TEST(LampIcon, AFullyLitTrayLampKeepsItsColourAroundTheDigit) {
    for (int pixels : {22, 64}) {
        const QImage shown = onPanel(lamps(0, 0, 0, 7).square(pixels), Qt::white);
        const auto nearBlack = [](const QColor& pixel) {
            return std::max({pixel.red(), pixel.green(), pixel.blue()}) < 100;
        };
        EXPECT_EQ(testing::countPixels(shown, nearBlack, middle(pixels, 3)), 0) << pixels;
        const auto green = [](const QColor& pixel) { return pixel.green() > pixel.red() + 60; };
        EXPECT_GE(testing::countPixels(shown, green, middle(pixels, 3)), pixels * pixels / 40) << pixels;
    }
}

} // namespace
} // namespace quorvel
