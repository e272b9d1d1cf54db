#include "Support/EventLoopWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace quorvel::testing {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

} // namespace quorvel::testing
