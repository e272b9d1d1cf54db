#pragma once

#include "Platform/Notifier.h"

#include <QStringList>

namespace quorvel::testing {

// Keeps what the code under test told the user, as "title | body".
class RecordingNotifier final : public Notifier {
public:
    void notify(const QString& title, const QString& body) override { notices << title + " | " + body; }

    QStringList notices;
};

} // namespace quorvel::testing
