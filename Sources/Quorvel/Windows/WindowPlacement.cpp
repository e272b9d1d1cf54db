#include "Windows/WindowPlacement.h"

#include "Windows/FocusRing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

namespace quorvel::WindowPlacement {

namespace {
void closeOnKeys(QWidget& window, const QKeySequence& keys) {
    auto* shortcut = new QShortcut(keys, &window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &window, &QWidget::close);
}
} // namespace

std::unique_ptr<QWidget> makeWindow(const QString& title, Qt::WindowFlags extraButtons) {
    auto window =
        std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowCloseButtonHint | extraButtons);
    window->setWindowTitle(title);
    closeOnKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_W));
    FocusRing::attach(*window);
    return window;
}

void closeOnEscape(QWidget& window) {
    closeOnKeys(window, QKeySequence(Qt::Key_Escape));
}

void centre(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void bringToFront(QWidget& window) {
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace quorvel::WindowPlacement
