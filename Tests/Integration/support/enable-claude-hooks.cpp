// Installs Quorvel's Claude Code hooks for the current user ($HOME) exactly as the application does
// when the user turns the Claude Code integration on: ClaudeIntegration::enable with the bundled helper,
// then prints the integration's health. Usage: enable-claude-hooks PATH-OF-THE-BUILT-QUORVEL-STATUS
#include "Claude/ClaudeIntegration.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    using namespace quorvel;
    if (argc != 2) {
        std::fputs("usage: enable-claude-hooks QUORVEL-STATUS\n", stderr);
        return 2;
    }
    try {
        const auto home = FileIO::homeDirectory();
        const auto settings = ClaudeIntegration::settingsURL(home);
        const auto helper = ClaudeIntegration::installedHelperURL(home);
        ClaudeIntegration::enable(argv[1], settings, helper);
        const std::string_view health =
            ClaudeIntegrationHealths::rawValue(ClaudeIntegration::health(settings, helper));
        std::printf("%.*s\n", static_cast<int>(health.size()), health.data());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "enable-claude-hooks: %s\n", error.what());
        return 1;
    }
    return 0;
}
