#include "App/AppDelegate.h"
#include "Claude/ClaudeFocusedCompletion.h"
#include "Platform/Clock.h"
#include "Platform/FrontmostApplication.h"
#include "Platform/RefreshRunner.h"
#include "Refresh/RefreshWorker.h"

#include <QPointer>

namespace quorvel {

namespace {
// What the worker gives when the local records or the Codex sessions could not be read.
bool isFailureSnapshot(const RefreshSnapshot& snapshot) {
    return snapshot.tasks.empty() && snapshot.diagnostic == refreshFailureDiagnostic;
}
} // namespace

void AppDelegate::refresh() {
    if (refreshing)
        return;
    refreshing = true;
    QPointer<AppDelegate> self(this);
    const bool codex = codexEnabled;
    const bool claude = claudeEnabled;
    platform_.refreshRunner->start(codex, claude, [self, codex, claude](RefreshSnapshot snapshot) {
        if (self)
            self->finishRefresh(std::move(snapshot), codex, claude);
    });
}

void AppDelegate::requestRefresh() {
    if (refreshing)
        refreshRequested_ = true;
    else
        refresh();
}

// A snapshot read with another provider choice than the current one would bring back the rows of a
// provider just turned off: it is dropped, and the refresh asked for meanwhile runs instead.
void AppDelegate::finishRefresh(RefreshSnapshot snapshot, bool codexRead, bool claudeRead) {
    if (codexRead == codexEnabled && claudeRead == claudeEnabled)
        applyRefreshSnapshot(std::move(snapshot));
    else
        refreshing = false;
    if (refreshRequested_) {
        refreshRequested_ = false;
        refresh();
    }
}

void AppDelegate::applyRefreshSnapshot(RefreshSnapshot snapshot) {
    const bool failed = isFailureSnapshot(snapshot);
    tasks = std::move(snapshot.tasks);
    diagnostic = std::move(snapshot.diagnostic);
    readState = std::move(snapshot.readState);
    applyOrcaReadState();
    claudeHealth = snapshot.claudeHealth;
    markFocusedClaudeCompletionRead();
    // A failed read knows nothing of the tasks: comparing with it, or remembering it, would make every
    // waiting task look new at the next good refresh.
    if (!failed)
        playSoundsForTransitions(platform_.clock->now());
    refreshing = false;
    redraw();
}

// The file may have changed since the worker read it (a task opened in Orca meanwhile).
void AppDelegate::applyOrcaReadState() {
    const auto url = OrcaReadState::defaultURL(platform_.home);
    std::optional<OrcaReadState> stored;
    try {
        stored = OrcaReadState::load(url);
        readState.orca = *stored;
    } catch (const std::exception&) {
        // The snapshot's stays.
    }
    const Date now = platform_.clock->now();
    readState.orca.remember(tasks, now);
    if (stored == readState.orca)
        return;
    try {
        readState.orca.save(url, now);
    } catch (const std::exception&) {
        // Saved again at the next refresh.
    }
}

void AppDelegate::markFocusedClaudeCompletionRead() {
    const Date now = platform_.clock->now();
    const auto candidate = ClaudeFocusedCompletion::unreadCandidate(tasks, readState, now);
    if (!candidate)
        return;
    // Asked only when there is something to mark: it is a round trip to the display server.
    const auto frontmost = platform_.frontmostApplication->bundleIdentifier();
    if (!frontmost || *frontmost != QLatin1String(claudeDesktopIdentifier))
        return;
    readState.claude.markRead(*candidate, now);
    try {
        readState.claude.save(ClaudeReadState::defaultURL(platform_.home), now);
    } catch (const std::exception&) {
        // Marked in memory; the next refresh reads the file again.
    }
}

} // namespace quorvel
