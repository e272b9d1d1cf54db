#include "Login/LaunchAtLoginError.h"
#include "Model/StatusError.h"
#include "Windows/IntegrationFailureText.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <system_error>

namespace quorvel {
namespace {

// A folder name that turns everything after it around unless it is set apart.
TEST(IntegrationFailureText, APathInAPlatformErrorCannotTurnTheReasonAround) {
    const std::system_error denied(EACCES, std::generic_category(), "/home/\u202Eresu/.claude/settings.json");
    const QString reason = QString::fromStdString(std::generic_category().message(EACCES));
    const QString expected = QStringLiteral("\u2068/home/\u202Eresu/.claude/settings.json\u2069: ") + reason;
    EXPECT_EQ(IntegrationFailureText::errorText(denied), expected);
    EXPECT_EQ(IntegrationFailureText::describe(denied), expected);

    // Messages of our own are shown as they are.
    const std::system_error bare(std::make_error_code(std::errc::permission_denied));
    EXPECT_EQ(IntegrationFailureText::errorText(bare), QString::fromUtf8(bare.what()));
    EXPECT_EQ(IntegrationFailureText::errorText(LaunchAtLoginError::needsApproval()),
              QString::fromUtf8(LaunchAtLoginError::needsApproval().what()));
    EXPECT_TRUE(IntegrationFailureText::describe(StatusError::invalidRecord()).startsWith("Quorvel left"));
}

} // namespace
} // namespace quorvel
