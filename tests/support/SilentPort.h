#pragma once
// A TCP port on 127.0.0.1 that takes connections (the kernel completes them) and
// never answers: a server that has frozen. close() resets the connections waiting on
// it, so a client blocked there fails at once.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

class SilentPort {
public:
    SilentPort() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(m_fd, 16) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        m_port = ntohs(a.sin_port);
    }
    ~SilentPort() { close(); }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;
    // 0 when no port could be had.
    int port() const { return m_port; }
    void close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

}  // namespace testsupport
