#pragma once
// A TCP relay on 127.0.0.1 for tests that need a server which stops answering.

#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

namespace importtest {

// Relays 127.0.0.1:port() to 127.0.0.1:target. freeze() stops relaying on the links
// open at that moment (later links relay as before); dropFrozen() closes them.
class FreezingProxy {
public:
    explicit FreezingProxy(int target) : m_target(target) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(m_listen, 8) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~FreezingProxy() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        for (Link& l : m_links) closeLink(l);
        if (m_listen >= 0) ::close(m_listen);
    }
    int port() const { return m_port; }
    void freeze() { m_freeze = true; }
    void dropFrozen() { m_drop = true; }

private:
    struct Link {
        int client = -1;
        int server = -1;
        bool frozen = false;
    };
    static void closeLink(Link& l) {
        if (l.client >= 0) ::shutdown(l.client, SHUT_RDWR), ::close(l.client);
        if (l.server >= 0) ::close(l.server);
        l.client = l.server = -1;
    }
    static bool relay(int from, int to) {
        char buffer[16384];
        const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        return ::send(to, buffer, size_t(n), MSG_NOSIGNAL) == n;
    }
    void run() {
        while (!m_stop) {
            if (m_freeze.exchange(false))
                for (Link& l : m_links) l.frozen = true;
            if (m_drop.exchange(false))
                for (Link& l : m_links)
                    if (l.frozen) closeLink(l);
            std::vector<pollfd> fds{{m_listen, POLLIN, 0}};
            for (const Link& l : m_links)
                if (!l.frozen && l.client >= 0) {
                    fds.push_back({l.client, POLLIN, 0});
                    fds.push_back({l.server, POLLIN, 0});
                }
            if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
            if (fds[0].revents & POLLIN) accept();
            for (Link& l : m_links) {
                if (l.frozen || l.client < 0) continue;
                for (const pollfd& p : fds) {
                    if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
                    if ((p.fd == l.client && !relay(l.client, l.server)) || (p.fd == l.server && !relay(l.server, l.client))) {
                        closeLink(l);
                        break;
                    }
                }
            }
        }
    }
    void accept() {
        Link l;
        l.client = ::accept(m_listen, nullptr, nullptr);
        if (l.client < 0) return;
        l.server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(quint16(m_target));
        if (::connect(l.server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            closeLink(l);
            return;
        }
        m_links.push_back(l);
    }

    int m_target;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false}, m_freeze{false}, m_drop{false};
    std::vector<Link> m_links;  // the relay thread's own
};

}  // namespace importtest
