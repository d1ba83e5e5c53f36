// Finding the sockets a connection opened and shutting them down, with real TCP
// sockets on 127.0.0.1.

#include "platform/ado/LinkSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include <gtest/gtest.h>

using namespace platform::ado::link;

namespace {

// A listening socket on 127.0.0.1 that never accepts: connecting to it completes in
// the kernel, and no server-side descriptor appears in this process.
struct Listener {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    Listener() {
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), len) != 0 || ::listen(fd, 8) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &len) != 0)
            address.sin_port = 0;
    }
    ~Listener() { ::close(fd); }
    int connect() const {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_EQ(::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        return s;
    }
};

// True when a read on fd returns at once (end of stream or an error), as it does on a
// socket that was shut down.
bool readEnds(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 1000) != 1) return false;
    char c;
    return ::recv(fd, &c, 1, MSG_DONTWAIT) <= 0;
}

}  // namespace

TEST(LinkSockets, AWatchFindsOnlyTheTcpSocketsConnectedWhileItRan) {
    Listener server;
    ASSERT_NE(server.address.sin_port, 0);
    const int before = server.connect();
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    std::vector<Socket> found;
    int during = -1, unconnected = -1, local[2] = {-1, -1};
    {
        OpeningWatch watch;
        during = server.connect();
        unconnected = ::socket(AF_INET, SOCK_STREAM, 0);       // never connected
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, local), 0);  // not TCP
        found = watch.opened();
    }
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].fd, during);

    EXPECT_EQ(shutDown(found), 1);
    EXPECT_TRUE(readEnds(during));
    // The socket connected before the watch is untouched: nothing to read, no end.
    pollfd p{before, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 50), 0);
    for (const int fd : {before, during, unconnected, local[0], local[1], pair[0], pair[1]}) ::close(fd);
}

// A cancel request may hang in its connect (a server whose queue is full, or a
// network that drops packets): such a socket is found when asked for, and shutting it
// down ends the connect.
TEST(LinkSockets, AConnectThatHangsIsFoundWhenAskedForAndEndedByTheShutdown) {
    Listener server;
    ASSERT_NE(server.address.sin_port, 0);
    ASSERT_EQ(::listen(server.fd, 0), 0);  // one waiting connection fills the queue
    const int first = server.connect();
    std::vector<Socket> connected, connecting;
    int hanging = -1;
    {
        OpeningWatch watch;
        hanging = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(hanging, reinterpret_cast<const sockaddr*>(&server.address), sizeof server.address);
        pollfd p{hanging, POLLOUT, 0};
        ASSERT_EQ(::poll(&p, 1, 200), 0) << "the connect did not hang; the queue was not full";
        connected = watch.opened();
        connecting = watch.opened(true);
    }
    EXPECT_TRUE(connected.empty());
    ASSERT_EQ(connecting.size(), 1u);
    EXPECT_EQ(connecting[0].fd, hanging);
    EXPECT_EQ(shutDown(connecting), 1);
    pollfd p{hanging, POLLOUT, 0};
    EXPECT_EQ(::poll(&p, 1, 1000), 1) << "the connect still hangs";
    ::close(hanging);
    ::close(first);
}

TEST(LinkSockets, ADescriptorNumberReusedByAnotherSocketIsNotShutDown) {
    Listener server;
    ASSERT_NE(server.address.sin_port, 0);
    std::vector<Socket> found;
    {
        OpeningWatch watch;
        const int first = server.connect();
        found = watch.opened();
        ::close(first);
    }
    ASSERT_EQ(found.size(), 1u);
    const int reused = server.connect();  // the lowest free number: the one just closed
    ASSERT_EQ(reused, found[0].fd);
    EXPECT_EQ(shutDown(found), 0);
    pollfd p{reused, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 50), 0) << "another socket under the same number was shut down";
    ::close(reused);
}

// Two connections opening at the same time (on any threads): the sockets that appear
// cannot be told apart, so neither watch claims any, in every order of ending.
TEST(LinkSockets, OverlappingWatchesClaimNothing) {
    Listener server;
    ASSERT_NE(server.address.sin_port, 0);
    for (const bool firstEndsFirst : {true, false}) {
        SCOPED_TRACE(firstEndsFirst ? "first ends first" : "second ends first");
        auto first = std::make_unique<OpeningWatch>();
        const int a = server.connect();
        auto second = std::make_unique<OpeningWatch>();
        const int b = server.connect();
        if (firstEndsFirst) {
            EXPECT_TRUE(first->opened().empty());
            first.reset();
            EXPECT_TRUE(second->opened().empty());
        } else {
            EXPECT_TRUE(second->opened().empty());
            second.reset();
            EXPECT_TRUE(first->opened().empty());
        }
        ::close(a);
        ::close(b);
    }
    // Once neither runs, a new watch finds its socket again.
    OpeningWatch watch;
    const int c = server.connect();
    EXPECT_EQ(watch.opened().size(), 1u);
    ::close(c);
}
