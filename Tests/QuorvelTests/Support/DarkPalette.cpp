#include "Support/DarkPalette.h"

#include <QApplication>
#include <QStyle>

namespace quorvel::testing {

namespace {
void change(const QPalette& palette) {
    QApplication::setPalette(palette);
    QApplication::processEvents();
}

const QColor breezeWindow(32, 35, 38);
const QColor breezeButton(41, 44, 48);
} // namespace

DarkPalette::DarkPalette(const QPalette& palette) : saved_(QApplication::palette()) {
    change(palette);
}

DarkPalette::~DarkPalette() {
    change(saved_);
}

QPalette DarkPalette::colours() {
    QPalette dark = QApplication::style()->standardPalette();
    const QColor text(252, 252, 252);
    const QColor inactiveText(161, 169, 177);
    dark.setColor(QPalette::Window, breezeWindow);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(27, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(35, 38, 41));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, breezeButton);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Light, QColor(64, 69, 75));
    dark.setColor(QPalette::Midlight, QColor(52, 56, 61));
    dark.setColor(QPalette::Mid, QColor(33, 36, 40));
    dark.setColor(QPalette::Dark, QColor(26, 28, 31));
    dark.setColor(QPalette::Shadow, QColor(16, 17, 19));
    dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    dark.setColor(QPalette::HighlightedText, text);
    dark.setColor(QPalette::Link, QColor(29, 153, 243));
    dark.setColor(QPalette::LinkVisited, QColor(155, 89, 182));
    dark.setColor(QPalette::ToolTipBase, breezeButton);
    dark.setColor(QPalette::ToolTipText, text);
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        dark.setColor(QPalette::Disabled, role, inactiveText);
    return dark;
}

QPalette DarkPalette::derived() {
    return QPalette(breezeButton, breezeWindow);
}

} // namespace quorvel::testing
