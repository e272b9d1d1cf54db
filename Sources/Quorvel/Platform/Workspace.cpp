#include "Platform/Workspace.h"

namespace quorvel {

void Workspace::openURL(const QString& url, Completion done) {
    openLink(url, [done = std::move(done)](LinkOutcome outcome) { done(outcome == LinkOutcome::opened); });
}

} // namespace quorvel
