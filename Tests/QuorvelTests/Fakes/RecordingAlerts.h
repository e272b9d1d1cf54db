#pragma once

#include "Platform/AlertPresenter.h"

#include <QString>
#include <vector>

namespace quorvel::testing {

// Records the alerts the code under test shows instead of showing them.
class RecordingAlerts final : public AlertPresenter {
public:
    struct Alert {
        QString message;
        QString informative;
        AlertStyle style;
    };

    void show(const QString& message, const QString& informative, AlertStyle style) override {
        alerts.push_back({message, informative, style});
    }

    std::vector<Alert> alerts;
};

} // namespace quorvel::testing
