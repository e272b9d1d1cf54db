#include "ClaudeIntegrationTestSupport.h"

namespace quorvel::ClaudeIntegrationTesting {

nlohmann::json large(std::size_t bytes) {
    nlohmann::json settings = nlohmann::json::parse(realShaped);
    nlohmann::json& allow = settings["permissions"]["allow"];
    nlohmann::json& stop = settings["hooks"]["Stop"];
    nlohmann::json& projects = settings["projects"];
    for (std::int64_t i = 0; i % 256 != 0 || settings.dump().size() < bytes; ++i) {
        allow.push_back("Bash(./scripts/task-" + std::to_string(i) + ".sh:*)");
        settings["env"]["VARIABLE_" + std::to_string(i)] = std::to_string(i * 7919);
        projects["/home/ada/src/project-\u00e9t\u00e9-" + std::to_string(i)] = {
            {"lastCost", 0.125 * static_cast<double>(i)},
            {"lastSessionId", "5f0c" + std::to_string(i)},
            {"lastTotalInputTokens", 9007199254740993LL - i},
            {"history", nlohmann::json::array({"fix the build \u2713", i, nullptr, true})}};
        if (i % 500 == 0)
            stop.push_back({{"matcher", ""},
                            {"hooks", {{{"type", "command"}, {"command", "echo " + std::to_string(i)}}}}});
    }
    return settings;
}

} // namespace quorvel::ClaudeIntegrationTesting
