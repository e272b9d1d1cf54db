#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <memory>
#include <utility>

namespace quorvel {

// Runs `work` on a thread of `pool` and hands its result to `deliver` on the thread of `context` (the
// main thread), through a queued call. Nothing is delivered once `context` is gone.
template <typename Work, typename Deliver>
void runInBackground(QThreadPool& pool, QObject* context, Work work, Deliver deliver) {
    pool.start([context = QPointer<QObject>(context), work = std::move(work),
                deliver = std::move(deliver)]() mutable {
        auto result = std::make_shared<decltype(work())>(work());
        if (!context)
            return;
        QMetaObject::invokeMethod(
            context.data(), [deliver = std::move(deliver), result] { deliver(std::move(*result)); },
            Qt::QueuedConnection);
    });
}

} // namespace quorvel
