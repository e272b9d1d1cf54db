#include "Windows/PaletteBinding.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

namespace quorvel {

PaletteBinding::PaletteBinding(QWidget* widget, std::function<void()> apply)
    : QObject(widget), apply_(std::move(apply)), applied_(QGuiApplication::palette()) {
    widget->installEventFilter(this);
}

void PaletteBinding::bind(QWidget* widget, std::function<void()> apply) {
    auto* binding = new PaletteBinding(widget, std::move(apply));
    binding->apply_();
}

bool PaletteBinding::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool paletteEvent = type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange ||
                              type == QEvent::ThemeChange;
    // `apply_` setting the widget's own palette sends a palette change too, which finds nothing new.
    if (paletteEvent && QGuiApplication::palette() != applied_) {
        applied_ = QGuiApplication::palette();
        apply_();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorvel
