#pragma once

namespace quorvel {

// Whether the application starts when the user logs in. Declaration order is the order of the cases.
enum class LaunchAtLoginState { disabled, enabled, needsApproval };

} // namespace quorvel
