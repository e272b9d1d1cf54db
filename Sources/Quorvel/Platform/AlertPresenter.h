#pragma once

#include <QString>
#include <functional>

namespace quorvel {

enum class AlertStyle { informational, warning };

// Modal alerts. Both texts are shown as plain text, never as rich text.
//
// show() returns at once: the alert stays open on its own, with no event loop of its own inside the
// caller. A caller may be a menu's action or a network reply that is gone by the time the user answers.
class AlertPresenter {
public:
    using Dismissed = std::function<void()>;

    virtual ~AlertPresenter() = default;

    // Shows `message` as the alert's main text and `informative` under it; `dismissed` (if any) runs once
    // the user has closed it.
    virtual void show(const QString& message, const QString& informative, AlertStyle style,
                      Dismissed dismissed) = 0;
    void show(const QString& message, const QString& informative, AlertStyle style) {
        show(message, informative, style, {});
    }
};

// A QMessageBox that deletes itself once closed. By default it blocks the application's other windows
// until then.
class MessageBoxAlerts final : public AlertPresenter {
public:
    explicit MessageBoxAlerts(Qt::WindowModality modality = Qt::ApplicationModal) : modality_(modality) {}

    using AlertPresenter::show;
    void show(const QString& message, const QString& informative, AlertStyle style,
              Dismissed dismissed) override;

private:
    Qt::WindowModality modality_;
};

} // namespace quorvel
