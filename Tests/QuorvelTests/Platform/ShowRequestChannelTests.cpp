#include "Platform/ShowRequestChannel.h"
#include "Support/EventLoopWait.h"
#include "TestSupport.h"

#include <QLocalSocket>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

// The listener replaces what a killed copy left at the socket's place; only the request line shows.
TEST(ShowRequestChannel, EachRequestReachesTheListenerAndOtherTextsShowNothing) {
    testing::TemporaryDirectory folder;
    const auto socket = ShowRequestChannel::socketFile(folder / "quorvel.lock");
    testing::writeFile(socket, "left behind");
    ShowRequestChannel channel;
    int shown = 0;
    ASSERT_EQ(channel.listen(socket, [&shown] { ++shown; }), "");
    EXPECT_EQ(testing::permissions(socket) & 077, 0u);
    for (const QByteArray& text : {QByteArray("hello\n"), QByteArray("show"), QByteArray(200, 's')}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(socket.string()));
        ASSERT_TRUE(client.waitForConnected());
        client.write(text);
        client.waitForBytesWritten();
        testing::waitUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(ShowRequestChannel::ask(socket));
    EXPECT_TRUE(testing::waitUntil([&shown] { return shown == 2; }));
}

} // namespace
} // namespace quorvel
