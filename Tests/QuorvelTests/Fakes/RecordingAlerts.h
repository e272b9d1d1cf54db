#pragma once

#include "Platform/AlertPresenter.h"

#include <QString>
#include <deque>
#include <ostream>
#include <vector>

namespace quorvel::testing {

// Records the alerts the code under test shows instead of showing them; each stays open until the test
// dismisses it.
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

    using AlertPresenter::show;
    void show(const QString& message, const QString& informative, AlertStyle style,
              Dismissed dismissed) override {
        alerts.push_back({message, informative, style});
        open.push_back(std::move(dismissed));
    }

    // The user closes the oldest alert still open.
    void dismiss() {
        auto dismissed = std::move(open.front());
        open.pop_front();
        if (dismissed)
            dismissed();
    }

    std::vector<Alert> alerts;
    std::deque<Dismissed> open;
};

using Alerts = std::vector<RecordingAlerts::Alert>;

} // namespace quorvel::testing
