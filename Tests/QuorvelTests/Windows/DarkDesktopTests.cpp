#include "Fakes/RecordingAlerts.h"
#include "Fakes/RecordingWorkspace.h"
#include "Platform/ResourceBundle.h"
#include "Support/DarkPalette.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/SettingsWindowController.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

// Controls that must stay readable when the desktop's theme, not the test, decides the colours: the
// palette goes on the application as a desktop theme sets it, after the windows were made.
namespace quorvel {
namespace {

double luminance(const QColor& colour) {
    const auto channel = [](int value) {
        const double share = value / 255.0;
        return share <= 0.03928 ? share / 12.92 : std::pow((share + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrast(const QColor& first, const QColor& second) {
    const double one = luminance(first);
    const double other = luminance(second);
    return (std::max(one, other) + 0.05) / (std::min(one, other) + 0.05);
}

QColor commonest(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    return QColor(std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                      return a.second < b.second;
                  })->first);
}

// The pixel of the area that stands out most from `background`: the core of a glyph.
QColor strongest(const QImage& image, const QRect& area, const QColor& background) {
    QColor found = background;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (contrast(image.pixelColor(x, y), background) > contrast(found, background))
                found = image.pixelColor(x, y);
    return found;
}

struct Theme {
    const char* name;
    QPalette (*palette)();
    friend void PrintTo(const Theme& theme, std::ostream* out) { *out << theme.name; }
};

QPalette lightPalette() {
    return QApplication::style()->standardPalette();
}

class ReadableOn : public ::testing::TestWithParam<Theme> {
protected:
    testing::RecordingWorkspace workspace;
    testing::RecordingAlerts alerts;
};

TEST_P(ReadableOn, TheSettingsSearchHintStandsOutFromItsField) {
    SettingsWindowController settings(ResourceBundle::module(),
                                      {[](bool, bool) {}, [](bool) {}, [] {}, [] {}}, BuildInfo{}, workspace);
    settings.showWindow();
    testing::DarkPalette theme(GetParam().palette());
    const QImage field = settings.searchField()->grab().toImage();
    const QRect inside = field.rect().adjusted(4, 4, -4, -4);
    const QColor fill = commonest(field, inside);
    const QColor hint = strongest(field, inside, fill);
    EXPECT_GE(contrast(hint, fill), 3.0)
        << QColor(hint).name().toStdString() << " on " << fill.name().toStdString();
    settings.window()->close();
}

TEST_P(ReadableOn, TheReportsDescriptionBoxShowsItsEdge) {
    FeedbackWindowController report(
        [](const QString&, const QString&, const PreparedFeedbackScreenshot&, BugReportCompletion) {},
        alerts);
    report.showWindow();
    testing::DarkPalette theme(GetParam().palette());
    const QImage window = report.window()->grab().toImage();
    const QWidget* box = report.details()->parentWidget();
    const QRect frame(box->mapTo(report.window(), QPoint(0, 0)), box->size());
    const int x = frame.center().x();
    const QColor edge = window.pixelColor(x, frame.top());
    const QColor fill = window.pixelColor(x, frame.top() + 4);
    const QColor outside = window.pixelColor(x, frame.top() - 4);
    EXPECT_GE(contrast(edge, fill), 2.0) << edge.name().toStdString() << " on " << fill.name().toStdString();
    EXPECT_GE(contrast(edge, outside), 2.0)
        << edge.name().toStdString() << " beside " << outside.name().toStdString();
    report.window()->close();
}

INSTANTIATE_TEST_SUITE_P(Desktops, ReadableOn,
                         ::testing::Values(Theme{"Light", lightPalette},
                                           Theme{"DarkDesktopTheme", testing::DarkPalette::colours},
                                           Theme{"QtsOwnDark", testing::DarkPalette::derived}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quorvel
