#include "Platform/ResourceBundle.h"
#include "Platform/SystemColours.h"
#include "Support/DarkPalette.h"
#include "Support/PixelCount.h"
#include "TestSupport.h"
#include "Windows/AccessibilityHidden.h"
#include "Windows/AppearanceAwareLogoImageView.h"
#include "Windows/CardBox.h"
#include "Windows/CheckBox.h"
#include "Windows/LinkButton.h"
#include "Windows/Palette.h"
#include "Windows/PaletteBinding.h"
#include "Windows/ResourceText.h"
#include "Windows/ReturnKeyTrigger.h"
#include "Windows/StatusDotView.h"
#include "Windows/SymbolIcon.h"
#include "Windows/TextLabel.h"
#include "Windows/ToggleSwitch.h"
#include "Windows/WebsiteAddress.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::DarkPalette;

// The widget's own drawing on a transparent picture (no window background).
QImage render(QWidget& widget) {
    QImage picture(widget.size(), QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    widget.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture;
}

TEST(AccessibilityHidden, AHiddenWidgetIsLeftOutOfItsParentsAccessibleChildren) {
    QWidget window;
    auto* page = new QWidget(&window);
    page->setGeometry(0, 0, 200, 200);
    auto* picture = new QWidget(page);
    picture->setGeometry(0, 0, 200, 100);
    auto* caption = new QLabel(QStringLiteral("Caption"), page);
    caption->setGeometry(0, 100, 200, 100);
    AccessibilityHidden::hide(picture);
    window.show();

    QAccessibleInterface* container = QAccessible::queryAccessibleInterface(page);
    ASSERT_TRUE(container);
    EXPECT_EQ(container->childCount(), 1);
    EXPECT_EQ(container->child(0)->object(), caption);
    EXPECT_EQ(container->indexOfChild(QAccessible::queryAccessibleInterface(picture)), -1);
    const QPoint origin = page->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(container->childAt(origin.x() + 50, origin.y() + 50), nullptr) << "over the picture";
    EXPECT_EQ(container->childAt(origin.x() + 50, origin.y() + 150)->object(), caption);

    QWidget plain;
    new QWidget(&plain);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&plain)->childCount(), 1)
        << "other containers keep theirs";
}

TEST(TextLabel, ShowsMarkupAsPlainTextInItsNamedColourAndFollowsThePalette) {
    TextLabel* label = TextLabel::wrapping("<b>bold</b> & <a href='x'>link</a>", 13, QFont::Normal,
                                           TextColour::secondaryLabel);
    std::unique_ptr<TextLabel> owner(label);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->font().pixelSize(), 13);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), Palette::secondaryLabel());
    {
        DarkPalette dark;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), Palette::secondaryLabel());
        EXPECT_EQ(Palette::secondaryLabel().rgb(), DarkPalette::colours().color(QPalette::WindowText).rgb());
    }
    EXPECT_EQ(label->palette().color(QPalette::WindowText), Palette::secondaryLabel());
}

// Only windows and the application hear of a palette change at once; the widgets inside get a palette
// change of their own later, and a widget with a style sheet (a link button) none at all.
TEST(PaletteBinding, FollowsTheApplicationPaletteInsideAWindowOncePerChange) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    TextLabel* label = TextLabel::oneLine("Quorvel", 13);
    layout->addWidget(label);
    auto* link = new LinkButton("Lucide website \u2197", 12, QFont::Normal);
    layout->addWidget(link);
    auto* own = new QWidget;
    layout->addWidget(own);
    int applied = 0;
    PaletteBinding::bind(own, [&] {
        ++applied;
        QPalette palette = own->palette();
        palette.setColor(QPalette::Base, Palette::label());
        own->setPalette(palette);
    });
    window.show();
    const QColor lightText = label->palette().color(QPalette::WindowText);
    const QColor lightLink = link->palette().color(QPalette::ButtonText);
    {
        DarkPalette dark;
        EXPECT_EQ(label->palette().color(QPalette::WindowText),
                  DarkPalette::colours().color(QPalette::WindowText));
        EXPECT_EQ(link->palette().color(QPalette::ButtonText), DarkPalette::colours().color(QPalette::Link));
        EXPECT_EQ(applied, 2) << "once when bound, once for the change";
    }
    EXPECT_EQ(label->palette().color(QPalette::WindowText), lightText);
    EXPECT_EQ(link->palette().color(QPalette::ButtonText), lightLink);
    EXPECT_EQ(applied, 3);
}

TEST(TextLabel, FittingToAWidthTakesTheLinesTheTextNeedsUpToTheMaximum) {
    std::unique_ptr<TextLabel> label(TextLabel::wrapping(
        QString(40, QLatin1Char('x')).append(" word word word word word word word word word"), 15));
    label->fitToWidth(120);
    const int lineHeight = QFontMetrics(label->font()).lineSpacing();
    EXPECT_EQ(label->width(), 120);
    EXPECT_GE(label->height(), 3 * lineHeight);
    label->setMaximumLines(2);
    label->fitToWidth(120);
    EXPECT_LE(label->height(), 2 * lineHeight + 1);
}

TEST(ToggleSwitch, ClicksAndTheSpaceBarToggleItAndOnlyUserChangesAreSent) {
    ToggleSwitch toggle("Codex");
    int clicks = 0;
    QObject::connect(&toggle, &QAbstractButton::clicked, [&] { ++clicks; });
    EXPECT_EQ(toggle.size(), QSize(38, 22));
    EXPECT_FALSE(toggle.isChecked());
    toggle.click();
    EXPECT_TRUE(toggle.isChecked());
    toggle.setChecked(false);
    EXPECT_EQ(clicks, 1);

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&toggle, &press);
    QApplication::sendEvent(&toggle, &release);
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_EQ(clicks, 2);
}

TEST(ToggleSwitch, IsDrawnInTheAccentColourWhenOnAndTheTrackColourWhenOff) {
    ToggleSwitch toggle;
    // The knob sits at the end that is on, so the left of the track shows when on, the right when off.
    toggle.setChecked(true);
    EXPECT_EQ(render(toggle).pixelColor(QPoint(6, 11)).rgb(), Palette::accent().rgb());
    toggle.setChecked(false);
    const QColor off = render(toggle).pixelColor(QPoint(30, 11));
    EXPECT_NE(off.rgb(), Palette::accent().rgb());
}

// On a dark desktop the style's outline of the box is hardly darker than a card's fill.
TEST(CheckBox, ItsBoxStaysVisibleOnACardOnADarkDesktop) {
    CheckBox box("Claude Code", 17, QFont::Medium);
    EXPECT_EQ(box.font().pixelSize(), 17);
    EXPECT_EQ(box.font().weight(), QFont::Medium);
    box.resize(box.sizeHint());
    const auto edgeContrast = [&box] {
        QImage picture(box.size(), QImage::Format_ARGB32);
        picture.fill(Palette::controlBackground());
        box.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect indicator = box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
        const QColor edge = picture.pixelColor(indicator.left(), indicator.center().y());
        const QColor fill = Palette::controlBackground();
        return std::abs(edge.lightness() - fill.lightness());
    };
    EXPECT_GE(edgeContrast(), 40) << "light";
    DarkPalette dark;
    EXPECT_GE(edgeContrast(), 40) << "dark";
}

TEST(CardBox, FillsWithTheControlBackgroundInsideARoundedSeparatorBorder) {
    CardBox card(10);
    card.resize(120, 60);
    const QImage picture = render(card);
    EXPECT_EQ(picture.pixelColor(60, 30).rgb(), Palette::controlBackground().rgb());
    EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0) << "the corner lies outside the rounded border";
    EXPECT_NE(picture.pixelColor(60, 0).rgb(), Palette::controlBackground().rgb()) << "top border";

    CardBox clear(9, CardBox::Fill::clear);
    clear.resize(120, 60);
    EXPECT_EQ(render(clear).pixelColor(60, 30).alpha(), 0);
}

TEST(StatusDotView, FillsAnInsetCircleWithItsSystemColour) {
    StatusDotView dot(SystemColours::green);
    dot.resize(10, 10);
    const QImage picture = render(dot);
    EXPECT_EQ(picture.pixelColor(5, 5).rgb(), SystemColours::green().rgb());
    EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(picture.pixelColor(0, 5).alpha(), 0) << "inset by one point on every side";
}

TEST(AppearanceAwareLogoImageView, ShowsTheLogoOfTheCurrentAppearanceAndSwapsAtOnce) {
    QWidget window;
    auto* view = new AppearanceAwareLogoImageView(ResourceBundle::module(), &window);
    const AppearanceAwareLogoImageView& logo = *view;
    window.show();
    ASSERT_FALSE(logo.lightModeImage().isNull());
    ASSERT_FALSE(logo.darkModeImage().isNull());
    EXPECT_NE(logo.lightModeImage(), logo.darkModeImage());
    EXPECT_EQ(logo.image(), logo.lightModeImage());
    {
        DarkPalette dark;
        EXPECT_EQ(logo.image(), logo.darkModeImage());
    }
    EXPECT_EQ(logo.image(), logo.lightModeImage());
}

TEST(AppearanceAwareLogoImageView, MissingLogosLeaveItEmpty) {
    testing::TemporaryDirectory folder;
    testing::writeFile(folder / "logo-light.png", "not a picture");
    AppearanceAwareLogoImageView logo(ResourceBundle(QString::fromStdString(folder.path().string())));
    EXPECT_TRUE(logo.lightModeImage().isNull());
    EXPECT_TRUE(logo.darkModeImage().isNull());
    logo.resize(220, 53);
    EXPECT_EQ(render(logo).pixelColor(110, 26).alpha(), 0);
}

TEST(SymbolIcon, DrawsTheSymbolInTheGivenColourAtTheDevicePixelRatio) {
    const QImage symbol = SymbolIcon::render(ResourceBundle::module(), "info", QColor(255, 0, 0), 16, 2.0);
    ASSERT_FALSE(symbol.isNull());
    EXPECT_EQ(symbol.size(), QSize(32, 32));
    EXPECT_EQ(symbol.devicePixelRatio(), 2.0);
    const auto solid = [](const QColor& pixel) { return pixel.alpha() == 255; };
    EXPECT_EQ(testing::countPixels(symbol,
                                   [&](const QColor& pixel) {
                                       return solid(pixel) && pixel.rgb() != QColor(255, 0, 0).rgb();
                                   }),
              0)
        << "every solid pixel is red";
    EXPECT_GT(testing::countPixels(symbol, solid), 20);
    EXPECT_TRUE(SymbolIcon::render(ResourceBundle::module(), "missing", Qt::red, 16, 1).isNull());
}

TEST(ReturnKeyTrigger, ReturnAndEnterPressTheVisibleEnabledButtonOnly) {
    QWidget window;
    auto* button = new QPushButton("Save", &window);
    new ReturnKeyTrigger(&window, button);
    window.show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&window, &event);
    };
    press(Qt::Key_Return);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks, 2);
    press(Qt::Key_Return, Qt::ShiftModifier);
    press(Qt::Key_A);
    button->setEnabled(false);
    press(Qt::Key_Return);
    button->setEnabled(true);
    button->hide();
    press(Qt::Key_Return);
    EXPECT_EQ(clicks, 2);
}

TEST(LinkButton, ShowsAnAmpersandLiterally) {
    LinkButton button("Terms & Conditions \u2197", 12, QFont::Medium);
    EXPECT_EQ(button.text(), "Terms && Conditions \u2197");
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), Palette::link());
}

TEST(WebsiteAddress, OnlyAnAbsoluteWebAddressCountsAndPagesAreAppendedAsOnePathComponent) {
    EXPECT_FALSE(WebsiteAddress::base(QString()));
    EXPECT_FALSE(WebsiteAddress::base("   "));
    EXPECT_FALSE(WebsiteAddress::base("quorvel.example"));
    EXPECT_FALSE(WebsiteAddress::base("file:///etc/passwd"));
    EXPECT_FALSE(WebsiteAddress::base("javascript:alert(1)"));
    ASSERT_TRUE(WebsiteAddress::base(" https://quorvel.example "));

    EXPECT_EQ(WebsiteAddress::appending("https://quorvel.example", "privacy"),
              "https://quorvel.example/privacy");
    EXPECT_EQ(WebsiteAddress::appending("https://quorvel.example/legal/", "terms"),
              "https://quorvel.example/legal/terms");
    EXPECT_EQ(WebsiteAddress::appending("https://quorvel.example/legal", "terms"),
              "https://quorvel.example/legal/terms");
}

TEST(ResourceText, ReadsUTF8AndRefusesMissingOversizedOrMalformedFiles) {
    testing::TemporaryDirectory folder;
    const ResourceBundle bundle(QString::fromStdString(folder.path().string()));
    testing::writeFile(folder / "Legal/good.txt", "Caf\xC3\xA9 \xE2\x86\x97");
    testing::writeFile(folder / "Legal/bad.txt", "Caf\xC3 broken");
    testing::writeFile(folder / "Legal/large.txt", std::string(ResourceText::maximumSize + 1, 'a'));
    testing::writeFile(folder / "Legal/limit.txt", std::string(ResourceText::maximumSize, 'a'));
    const QString legal = "Legal";
    const QString txt = "txt";
    EXPECT_EQ(ResourceText::read(bundle, "good", txt, legal), "Caf\u00e9 \u2197");
    EXPECT_FALSE(ResourceText::read(bundle, "bad", txt, legal));
    EXPECT_FALSE(ResourceText::read(bundle, "large", txt, legal));
    EXPECT_TRUE(ResourceText::read(bundle, "limit", txt, legal));
    EXPECT_FALSE(ResourceText::read(bundle, "missing", txt, legal));
}

} // namespace
} // namespace quorvel
