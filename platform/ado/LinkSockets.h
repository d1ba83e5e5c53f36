#pragma once
// The network sockets a driver opened for one connection, so that a connection whose
// server stopped answering can be broken from outside the driver. A driver hides its
// socket, so the sockets are found by what appeared in the process while the
// connection was being opened. They are only ever shut down (never closed: the driver
// owns the descriptors and closes them when the connection is freed).

#include <vector>

namespace platform::ado::link {

// One socket as it was when found: its descriptor and the identity of the open
// socket behind it, so a descriptor number reused later is never taken for it.
struct Socket {
    int fd = -1;
    unsigned long long device = 0;
    unsigned long long inode = 0;
};

// Watches one connection being opened (or a cancel request, which the driver sends
// over a link of its own). Make it just before the driver connects and call opened()
// once it has. Safe to use on several threads at once; while two
// watches overlap in time the sockets that appear cannot be told apart, and opened()
// gives none for either (such a connection can still be cancelled, only not broken).
class OpeningWatch {
public:
    OpeningWatch();
    ~OpeningWatch();
    OpeningWatch(const OpeningWatch&) = delete;
    OpeningWatch& operator=(const OpeningWatch&) = delete;

    // The connected TCP sockets (IPv4 or IPv6) that appeared since construction; with
    // connecting, also those still connecting.
    std::vector<Socket> opened(bool connecting = false);

private:
    unsigned long m_id;
    std::vector<Socket> m_before;
};

// Shuts down both directions of each socket that is still the one found, so that a
// read or write blocked on it returns with an error. Returns how many were shut down.
int shutDown(const std::vector<Socket>& sockets);

}  // namespace platform::ado::link
