#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct MenuBarStatus;
enum class StatusSound;

// A task's light. Declaration order is the order of allCases.
enum class LightState { working, waiting, done, unread, failed, unknown };

namespace LightStates {
inline constexpr std::array<LightState, 6> allCases{LightState::working, LightState::waiting,
                                                    LightState::done,    LightState::unread,
                                                    LightState::failed,  LightState::unknown};

std::string_view rawValue(LightState state);
std::optional<LightState> fromRawValue(std::string_view text);
std::string_view label(LightState state);
int rank(LightState state);
// Unknown for an empty list, else the most urgent state, the first one winning ties.
LightState aggregate(const std::vector<LightState>& states);
// The detail line under a task's menu title.
std::string menuDetail(LightState state, const std::optional<std::string>& projectName);
// The groups shown in the menu bar for a list of visible states (Model/MenuBarStatus.h).
std::vector<MenuBarStatus> menuBarStatuses(const std::vector<LightState>& states);
// The sound for a visible state reached from `previous`, none for a task seen the first time
// (Model/StatusSound.h).
std::optional<StatusSound> soundCue(LightState state, std::optional<LightState> previous);
} // namespace LightStates

enum class TaskProvider { local, codex, claude };

namespace TaskProviders {
std::string_view rawValue(TaskProvider provider);
std::optional<TaskProvider> fromRawValue(std::string_view text);
} // namespace TaskProviders

} // namespace quorvel
