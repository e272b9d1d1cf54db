#include "Windows/PaletteBinding.h"

#include <QEvent>
#include <QWidget>

namespace quorvel {

PaletteBinding::PaletteBinding(QWidget* widget, std::function<void()> apply)
    : QObject(widget), apply_(std::move(apply)) {
    widget->installEventFilter(this);
}

void PaletteBinding::bind(QWidget* widget, std::function<void()> apply) {
    auto* binding = new PaletteBinding(widget, std::move(apply));
    binding->apply_();
}

bool PaletteBinding::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange)
        apply_();
    return QObject::eventFilter(watched, event);
}

} // namespace quorvel
