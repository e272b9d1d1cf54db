#pragma once

#include <QString>

namespace quorvel {

enum class AlertStyle { informational, warning };

// Modal alerts. Both texts are shown as plain text, never as rich text.
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;

    // Shows `message` as the alert's main text and `informative` under it; returns when dismissed.
    virtual void show(const QString& message, const QString& informative, AlertStyle style) = 0;
};

// QMessageBox, run modally.
class MessageBoxAlerts final : public AlertPresenter {
public:
    void show(const QString& message, const QString& informative, AlertStyle style) override;
};

} // namespace quorvel
