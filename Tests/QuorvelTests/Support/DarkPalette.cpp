#include "Support/DarkPalette.h"

#include <QApplication>

namespace quorvel::testing {

namespace {
void change(const QPalette& palette) {
    QApplication::setPalette(palette);
    QApplication::processEvents();
}
} // namespace

DarkPalette::DarkPalette() : saved_(QApplication::palette()) {
    change(colours());
}

DarkPalette::~DarkPalette() {
    change(saved_);
}

QPalette DarkPalette::colours() {
    QPalette dark = QApplication::palette();
    const QColor text(236, 236, 240);
    const QColor dimmed(120, 120, 124);
    dark.setColor(QPalette::Window, QColor(40, 40, 42));
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 155));
    dark.setColor(QPalette::Button, QColor(58, 58, 62));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(10, 132, 255));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(64, 156, 255));
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        dark.setColor(QPalette::Disabled, role, dimmed);
    return dark;
}

} // namespace quorvel::testing
