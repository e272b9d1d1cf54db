#pragma once

#include <QObject>
#include <QPalette>
#include <functional>

class QWidget;

namespace quorvel {

// Runs `apply` on the widget now and again whenever the application's palette changes, for widgets whose
// colours are set from the named colours by hand. Only windows hear of a palette or theme change; the
// widgets inside them get a palette change of their own, so that is what counts here too.
class PaletteBinding : public QObject {
    Q_OBJECT

public:
    static void bind(QWidget* widget, std::function<void()> apply);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaletteBinding(QWidget* widget, std::function<void()> apply);

    std::function<void()> apply_;
    QPalette applied_; // the application's palette when `apply_` last ran
};

} // namespace quorvel
