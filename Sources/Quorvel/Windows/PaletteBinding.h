#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace quorvel {

// Runs `apply` on the widget now and again whenever the desktop's palette or theme changes, for widgets
// whose colours are set from the named colours by hand.
class PaletteBinding : public QObject {
    Q_OBJECT

public:
    static void bind(QWidget* widget, std::function<void()> apply);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaletteBinding(QWidget* widget, std::function<void()> apply);

    std::function<void()> apply_;
};

} // namespace quorvel
