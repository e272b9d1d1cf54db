#pragma once

#include "Support/Date.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::StatusCommand {

inline constexpr std::string_view usage =
    "quorvel-status set ID working|waiting|done|failed|unknown NAME [--directory PATH]\n"
    "quorvel-status remove ID [--directory PATH]\n"
    "quorvel-status list [--directory PATH]\n"
    "quorvel-status codex\n"
    "quorvel-status claude-hook\n"
    "\n"
    "IDs use letters, digits, hyphens and underscores. Quote multi-word names.\n"
    "Working/waiting signals expire to unknown after 5 minutes; repeat set as a heartbeat.\n"
    "Files stay local. No Codex settings or shell profiles are changed. Claude hooks write status metadata "
    "only.";

// The current time, read each time a step needs it.
using Clock = std::function<Date()>;

// Runs one command line (the arguments without the program path) and returns what goes to standard
// output. Nothing is printed here, so a failure never follows partial output. Throws StatusError
// (invalidRecord for a usage error) or the error of the failing step.
std::string run(std::vector<std::string> arguments, const Clock& clock);

// The error report: one text for one write to standard error.
std::string errorReport(std::string_view error);

} // namespace quorvel::StatusCommand
