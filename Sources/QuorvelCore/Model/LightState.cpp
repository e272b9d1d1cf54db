#include "Model/LightState.h"

#include "Support/Unicode.h"

namespace quorvel {
namespace LightStates {

std::string_view rawValue(LightState state) {
    switch (state) {
    case LightState::working:
        return "working";
    case LightState::waiting:
        return "waiting";
    case LightState::done:
        return "done";
    case LightState::unread:
        return "unread";
    case LightState::failed:
        return "failed";
    case LightState::unknown:
        return "unknown";
    }
    return "unknown";
}

std::optional<LightState> fromRawValue(std::string_view text) {
    for (LightState state : allCases)
        if (rawValue(state) == text)
            return state;
    return std::nullopt;
}

std::string_view label(LightState state) {
    switch (state) {
    case LightState::working:
        return "Working";
    case LightState::waiting:
        return "Needs your attention";
    case LightState::done:
        return "Finished \u00B7 read";
    case LightState::unread:
        return "Finished \u00B7 unread";
    case LightState::failed:
        return "Failed";
    case LightState::unknown:
        return "Unknown / disconnected";
    }
    return "Unknown / disconnected";
}

int rank(LightState state) {
    switch (state) {
    case LightState::waiting:
        return 0;
    case LightState::failed:
        return 1;
    case LightState::unknown:
        return 2;
    case LightState::unread:
        return 3;
    case LightState::working:
        return 4;
    case LightState::done:
        return 5;
    }
    return 2;
}

LightState aggregate(const std::vector<LightState>& states) {
    if (states.empty())
        return LightState::unknown;
    LightState chosen = states.front();
    for (LightState state : states)
        if (rank(state) < rank(chosen))
            chosen = state;
    return chosen;
}

std::string menuDetail(LightState state, const std::optional<std::string>& projectName) {
    const std::string stateText = state == LightState::done ? "Finished" : std::string(label(state));
    if (projectName) {
        const std::string_view project = Unicode::trimmed(*projectName);
        if (!project.empty())
            return std::string(project) + " \u00B7 " + stateText;
    }
    return stateText;
}

} // namespace LightStates

namespace TaskProviders {

std::string_view rawValue(TaskProvider provider) {
    switch (provider) {
    case TaskProvider::local:
        return "local";
    case TaskProvider::codex:
        return "codex";
    case TaskProvider::claude:
        return "claude";
    }
    return "local";
}

std::optional<TaskProvider> fromRawValue(std::string_view text) {
    for (TaskProvider provider : {TaskProvider::local, TaskProvider::codex, TaskProvider::claude})
        if (rawValue(provider) == text)
            return provider;
    return std::nullopt;
}

} // namespace TaskProviders
} // namespace quorvel
