#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvel {

// Turns SIGTERM, SIGINT and SIGHUP (a desktop session ending, Ctrl+C) into a normal quit of the event
// loop, so that the application's shut-down runs.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    static void handle(int signal);
    void received();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace quorvel
