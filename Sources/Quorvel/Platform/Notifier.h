#pragma once

#include <QString>

namespace quorvel {

// Tells the user something in the desktop's way, without waiting for an answer. Both texts are ours.
class Notifier {
public:
    virtual ~Notifier() = default;

    virtual void notify(const QString& title, const QString& body) = 0;
};

} // namespace quorvel
