#include "Platform/ShowRequestChannel.h"
#include "Support/EventLoopWait.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;

class ShowRequests : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    const std::filesystem::path socket = ShowRequestChannel::socketFile(folder / "quorvel.lock");
    ShowRequestChannel channel;
    int shown = 0;
};

TEST_F(ShowRequests, EachAskReachesTheListenerThatReplacedWhatAKilledCopyLeft) {
    testing::writeFile(socket, "left behind");
    ASSERT_EQ(channel.listen(socket, [this] { ++shown; }), "");
    EXPECT_EQ(testing::permissions(socket) & 077, 0u);
    EXPECT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(testing::waitUntil([this] { return shown == 2; }));
}

TEST_F(ShowRequests, OtherTextsShowNothing) {
    ASSERT_EQ(channel.listen(socket, [this] { ++shown; }), "");
    for (const QByteArray& text : {QByteArray("hello\n"), QByteArray("show"), QByteArray(200, 's')}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(socket.string()));
        ASSERT_TRUE(client.waitForConnected());
        client.write(text);
        client.waitForBytesWritten();
        testing::waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    EXPECT_EQ(shown, 0);
    ASSERT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(testing::waitUntil([this] { return shown == 1; }));
}

} // namespace
} // namespace quorvel
