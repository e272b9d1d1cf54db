#include "Windows/Typography.h"

#include <QApplication>
#include <QFontDatabase>

namespace quorvel::Typography {

namespace {
QFont sized(QFont font, int points, QFont::Weight weight) {
    font.setPixelSize(points);
    font.setWeight(weight);
    return font;
}
} // namespace

QFont system(int points, QFont::Weight weight) {
    return sized(QApplication::font(), points, weight);
}

QFont monospacedDigit(int points, QFont::Weight weight) {
    return system(points, weight);
}

QFont monospaced(int points, QFont::Weight weight) {
    return sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), points, weight);
}

} // namespace quorvel::Typography
