#include "App/BuildInfo.h"

#include "QuorvelBuildConfiguration.h"

#include <QtGlobal>

namespace quorvel {

namespace {
std::optional<QString> nonEmpty(const char* text) {
    const QString value = QString::fromUtf8(text);
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

QString overridden(const char* variable, const char* builtIn) {
    return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariable(variable) : QString::fromUtf8(builtIn);
}
} // namespace

BuildInfo BuildInfo::current() {
    BuildInfo info;
    info.shortVersion = nonEmpty(QUORVEL_VERSION);
    info.commitHash = nonEmpty(QUORVEL_COMMIT_HASH);
    info.supportURL = overridden("QUORVEL_SUPPORT_URL", QUORVEL_SUPPORT_URL);
    info.supportToken = overridden("QUORVEL_SUPPORT_TOKEN", QUORVEL_SUPPORT_TOKEN);
    info.updateFeedURL = QString::fromUtf8(QUORVEL_UPDATE_FEED);
    info.websiteURL = QString::fromUtf8(QUORVEL_WEBSITE_URL);
    return info;
}

} // namespace quorvel
