#include "Windows/PaletteBinding.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace quorvel {

namespace {

bool isPaletteEvent(const QEvent* event) {
    const QEvent::Type type = event->type();
    return type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange ||
           type == QEvent::ThemeChange;
}

// One filter on the application object for all bindings, which it tells of each palette change.
class ApplicationPaletteWatcher : public QObject {
public:
    static ApplicationPaletteWatcher* existing() { return instance().data(); }
    static ApplicationPaletteWatcher& shared() {
        QPointer<ApplicationPaletteWatcher>& watcher = instance();
        if (!watcher)
            watcher = new ApplicationPaletteWatcher(QCoreApplication::instance());
        return *watcher;
    }

    std::vector<QPointer<PaletteBinding>> bindings;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && isPaletteEvent(event)) {
            // A binding's apply may end another binding's widget: go by a copy and skip the gone.
            const std::vector<QPointer<PaletteBinding>> current = bindings;
            for (const QPointer<PaletteBinding>& binding : current)
                if (binding)
                    binding->refresh();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit ApplicationPaletteWatcher(QObject* application) : QObject(application) {
        application->installEventFilter(this);
    }
    static QPointer<ApplicationPaletteWatcher>& instance() {
        static QPointer<ApplicationPaletteWatcher> watcher;
        return watcher;
    }
};

} // namespace

PaletteBinding::PaletteBinding(QWidget* widget, std::function<void()> apply)
    : QObject(widget), apply_(std::move(apply)), applied_(QGuiApplication::palette()) {
    widget->installEventFilter(this);
    ApplicationPaletteWatcher::shared().bindings.emplace_back(this);
}

PaletteBinding::~PaletteBinding() {
    if (ApplicationPaletteWatcher* watcher = ApplicationPaletteWatcher::existing())
        std::erase_if(watcher->bindings, [this](const QPointer<PaletteBinding>& binding) {
            return !binding || binding == this;
        });
}

void PaletteBinding::bind(QWidget* widget, std::function<void()> apply) {
    auto* binding = new PaletteBinding(widget, std::move(apply));
    binding->apply_();
}

bool PaletteBinding::eventFilter(QObject* watched, QEvent* event) {
    if (isPaletteEvent(event))
        refresh();
    return QObject::eventFilter(watched, event);
}

void PaletteBinding::refresh() {
    // `apply_` setting the widget's own palette sends a palette change too, which finds nothing new.
    if (QGuiApplication::palette() == applied_)
        return;
    applied_ = QGuiApplication::palette();
    apply_();
}

} // namespace quorvel
