#include "Refresh/RefreshWorker.h"

#include "Claude/ClaudeHookStore.h"
#include "Claude/ClaudeIntegration.h"
#include "Claude/ClaudeReadState.h"
#include "Claude/ClaudeSessionReader.h"
#include "Codex/CodexAutomationReadState.h"
#include "Codex/CodexGlobalState.h"
#include "Codex/CodexReadMarks.h"
#include "Codex/CodexReadState.h"
#include "Codex/DesktopAttention.h"
#include "Codex/SessionReader.h"
#include "Model/StatusStore.h"
#include "Orca/OrcaReadState.h"
#include "Orca/OrcaSessionIndex.h"
#include "Support/Uuid.h"

#include <exception>

namespace quorvel {
namespace {

constexpr std::size_t attachmentLimit = 30;

template <typename Value, typename Load> Value loadOr(Value fallback, Load&& load) {
    try {
        return load();
    } catch (const std::exception&) {
        return fallback;
    }
}

// A read state loaded from its file, from the cache while the file keeps its version.
template <typename State>
State cachedState(FileResultCache<State>* cache, const std::filesystem::path& file) {
    return cachedFileResult(cache, file, [&] { return State::load(file); });
}

CodexReadState unknownCodexReadState() {
    return CodexReadState{std::nullopt};
}

ClaudeIntegrationHealth claudeHealth(const RefreshEnvironment& environment) {
    return ClaudeIntegration::health(ClaudeIntegration::settingsURL(environment.home),
                                     ClaudeIntegration::installedHelperURL(environment.home));
}

RefreshSnapshot failureSnapshot(const RefreshEnvironment& environment) {
    RefreshSnapshot snapshot;
    snapshot.diagnostic = std::string(refreshFailureDiagnostic);
    snapshot.readState = TaskReadState(unknownCodexReadState(), {}, {}, OrcaReadState{});
    snapshot.claudeHealth = claudeHealth(environment);
    return snapshot;
}

void append(std::vector<TaskStatus>& tasks, std::vector<TaskStatus> more) {
    tasks.insert(tasks.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

// Orca's own Codex sessions count only when Orca knows them.
std::vector<TaskStatus> orcaCodexTasks(const RefreshEnvironment& environment, const OrcaSessionIndex& index,
                                       const OrcaReadState& orcaState, Date now, ReaderCache* cache) {
    const auto home = OrcaSessionIndex::root(environment.home) / "codex-runtime-home" / "home";
    std::vector<TaskStatus> tasks = loadOr(std::vector<TaskStatus>{}, [&] {
        return SessionReader::load(home, now, SessionReader::unlimited, cache ? &cache->orcaCodex : nullptr,
                                   cache ? &cache->lifetime : nullptr);
    });
    std::erase_if(tasks, [&](const TaskStatus& task) {
        return index.matches(task.id).empty() && !orcaState.ownership.contains(Uuid::lowercased(task.id));
    });
    return tasks;
}

bool isEnabledProvider(const TaskStatus& task, bool codexEnabled, bool claudeEnabled) {
    switch (task.provider()) {
    case TaskProvider::claude:
        return claudeEnabled;
    case TaskProvider::codex:
        return codexEnabled;
    case TaskProvider::local:
        return false;
    }
    return false;
}

} // namespace

RefreshSnapshot loadRefreshSnapshot(bool codexEnabled, bool claudeEnabled,
                                    const RefreshEnvironment& environment, Date now, ReaderCache* cache) {
    ResultLifetime* lifetime = cache ? &cache->lifetime : nullptr;
    std::vector<std::string> warnings;
    std::vector<TaskStatus> tasks;
    try {
        tasks = StatusStore(StatusStore::defaultDirectory(environment.home))
                    .load(cache ? &cache->localTasks : nullptr);
    } catch (const std::exception&) {
        return failureSnapshot(environment);
    }

    const auto codexHome = environment.codexHome();
    if (codexEnabled) {
        std::vector<TaskStatus> codexTasks;
        try {
            codexTasks = SessionReader::load(codexHome, now, SessionReader::unlimited,
                                             cache ? &cache->codex : nullptr, lifetime);
        } catch (const std::exception&) {
            return failureSnapshot(environment);
        }
        try {
            const auto open =
                DesktopAttention::loadOpenRequests(DesktopAttention::defaultDirectory(environment.home), now,
                                                   cache ? &cache->attention : nullptr, lifetime);
            append(tasks, DesktopAttention::applying(open, std::move(codexTasks)));
        } catch (const std::exception&) {
            append(tasks, std::move(codexTasks));
            warnings.emplace_back(codexAttentionWarning);
        }
    }

    const ClaudeIntegrationHealth health = claudeHealth(environment);

    if (claudeEnabled) {
        try {
            append(tasks, ClaudeSessionReader::load(
                              environment.claudeHome(),
                              ClaudeHookStore(ClaudeHookStore::defaultDirectory(environment.home)), now,
                              ClaudeSessionReader::defaultDesktopSessionsRoot(environment.home),
                              ClaudeSessionReader::unlimited, cache ? &cache->claude : nullptr, lifetime));
        } catch (const std::exception&) {
            warnings.emplace_back(claudeStatusWarning);
        }
    }

    const auto orcaRoot = OrcaSessionIndex::root(environment.home);
    const OrcaSessionIndex index = loadOr(OrcaSessionIndex{}, [&] {
        return OrcaSessionIndex::load(orcaRoot, now, cache ? &cache->orcaStatus : nullptr, lifetime);
    });
    const OrcaReadState orcaState = loadOr(OrcaReadState{}, [&] {
        return cachedState(cache ? &cache->orcaReadState : nullptr,
                           OrcaReadState::defaultURL(environment.home));
    });

    if (codexEnabled)
        append(tasks, orcaCodexTasks(environment, index, orcaState, now, cache));

    std::vector<TaskStatus> orcaTasks =
        index.transcriptTasks(environment.home, now, cache ? &cache->orcaTranscripts : nullptr, lifetime);
    std::erase_if(orcaTasks, [&](const TaskStatus& task) {
        return !isEnabledProvider(task, codexEnabled, claudeEnabled);
    });
    append(tasks, std::move(orcaTasks));

    RefreshSnapshot snapshot;
    snapshot.tasks = index.applying(std::move(tasks), orcaState.ownership, attachmentLimit);
    snapshot.readState =
        TaskReadState(loadOr(unknownCodexReadState(),
                             [&] {
                                 return cachedFileResult(cache ? &cache->codexReadState : nullptr,
                                                         CodexGlobalState::path(codexHome),
                                                         [&] { return CodexReadState::load(codexHome); });
                             }),
                      loadOr(CodexAutomationReadState{},
                             [&] {
                                 return cachedState(cache ? &cache->codexAutomationReadState : nullptr,
                                                    CodexAutomationReadState::defaultURL(environment.home));
                             }),
                      loadOr(ClaudeReadState{},
                             [&] {
                                 return cachedState(cache ? &cache->claudeReadState : nullptr,
                                                    ClaudeReadState::defaultURL(environment.home));
                             }),
                      orcaState, loadOr(CodexReadMarks{}, [&] {
                          return cachedState(cache ? &cache->codexReadMarks : nullptr,
                                             CodexReadMarks::defaultURL(environment.home));
                      }));
    snapshot.claudeHealth = health;
    if (!warnings.empty()) {
        std::string diagnostic = warnings.front();
        for (std::size_t i = 1; i < warnings.size(); ++i)
            diagnostic += " " + warnings[i];
        snapshot.diagnostic = diagnostic;
    }
    return snapshot;
}

RefreshSnapshot RefreshWorker::load(bool codexEnabled, bool claudeEnabled,
                                    const RefreshEnvironment& environment, Date now) {
    const Date readMoment = readClock_();
    Request request{codexEnabled, claudeEnabled, environment};
    if (lastPassHolds(request, now, readMoment)) {
        ++reused_;
        RefreshSnapshot snapshot = last_->snapshot;
        snapshot.claudeHealth = claudeHealth(environment);
        return snapshot;
    }
    cache_.beginPass(readMoment);
    RefreshSnapshot snapshot = loadRefreshSnapshot(codexEnabled, claudeEnabled, environment, now, &cache_);
    cache_.endPass();
    if (cache_.files)
        last_ = LastPass{std::move(request), now, snapshot};
    return snapshot;
}

bool RefreshWorker::lastPassHolds(const Request& request, Date now, Date readMoment) {
    return last_ && last_->request == request && cache_.lifetime.holds(last_->now, now) &&
           cache_.files->lastPassHolds(readMoment);
}

} // namespace quorvel
