#pragma once

#include "Platform/AlertPresenter.h"

#include <QString>
#include <ostream>
#include <vector>

namespace quorvel::testing {

// Records the alerts the code under test shows instead of showing them.
class RecordingAlerts final : public AlertPresenter {
public:
    struct Alert {
        QString message;
        QString informative;
        AlertStyle style;
        bool operator==(const Alert&) const = default;
        friend void PrintTo(const Alert& alert, std::ostream* out) {
            *out << '{' << alert.message.toStdString() << " | " << alert.informative.toStdString() << " | "
                 << int(alert.style) << '}';
        }
    };

    void show(const QString& message, const QString& informative, AlertStyle style) override {
        alerts.push_back({message, informative, style});
    }

    std::vector<Alert> alerts;
};

using Alerts = std::vector<RecordingAlerts::Alert>;

} // namespace quorvel::testing
