#pragma once

#include <QObject>
#include <QPalette>
#include <functional>

class QWidget;

namespace quorvel {

// Runs `apply` on the widget now and again whenever the application's palette changes, for widgets whose
// colours are set from the named colours by hand. The application object hears of every change; the
// widgets themselves may not (a widget with a style sheet never does), so the bindings listen there.
class PaletteBinding : public QObject {
    Q_OBJECT

public:
    static void bind(QWidget* widget, std::function<void()> apply);
    ~PaletteBinding() override;

    // Runs the binding's `apply` when the application's palette is not the one it last ran with.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaletteBinding(QWidget* widget, std::function<void()> apply);

    std::function<void()> apply_;
    QPalette applied_;
};

} // namespace quorvel
