#pragma once
// A TCP relay on 127.0.0.1 for tests that need a server which stops answering. The
// relay runs in a child process, so its own sockets are not the test process's: code
// under test that looks for the sockets its driver opened finds only those.

#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace importtest {

// Relays 127.0.0.1:port() to 127.0.0.1:target. freeze() stops relaying on the links
// open at that moment (later links relay as before) and keeps them open;
// freezeAll() also leaves new links unanswered (they connect, as to a server that
// hangs, and nothing more); dropFrozen() closes the frozen links (and after
// freezeAll() the listening socket). Each returns once
// the relay has done it.
class FreezingProxy {
public:
    explicit FreezingProxy(int target) : m_target(target) {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        int channel[2];  // commands and answers between the test and the relay
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(listener, 8) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0 ||
            ::socketpair(AF_UNIX, SOCK_STREAM, 0, channel) != 0) {
            if (listener >= 0) ::close(listener);
            return;
        }
        m_child = ::fork();
        if (m_child == 0) {
            ::close(channel[0]);
            closeAllBut({listener, channel[1]});
            m_listen = listener;
            m_channel = channel[1];
            run();
            ::_exit(0);
        }
        ::close(listener);
        ::close(channel[1]);
        if (m_child < 0) {
            ::close(channel[0]);
            return;
        }
        m_channel = channel[0];
        m_port = ntohs(a.sin_port);
    }
    ~FreezingProxy() {
        if (m_child <= 0) return;
        ask('q');
        ::close(m_channel);
        ::waitpid(m_child, nullptr, 0);
    }
    FreezingProxy(const FreezingProxy&) = delete;
    FreezingProxy& operator=(const FreezingProxy&) = delete;

    int port() const { return m_port; }
    void freeze() { ask('f'); }
    void freezeAll() { ask('a'); }
    void dropFrozen() { ask('d'); }
    // How many frozen links the relay holds open.
    int frozenLinks() { return ask('n'); }

private:
    struct Link {
        int client = -1;
        int server = -1;
        bool frozen = false;
    };

    int ask(char command) {
        if (m_channel < 0 || ::send(m_channel, &command, 1, MSG_NOSIGNAL) != 1) return -1;
        unsigned char answer = 0;
        return ::recv(m_channel, &answer, 1, 0) == 1 ? int(answer) : -1;
    }
    static void closeAllBut(std::vector<int> keep) {
        std::sort(keep.begin(), keep.end());
        int from = 3;
        for (const int fd : keep) {
            for (int f = from; f < fd; ++f) ::close(f);
            from = fd + 1;
        }
        const long last = ::sysconf(_SC_OPEN_MAX);
        for (long f = from; f < std::min(last, 65536L); ++f) ::close(int(f));
    }
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
    // Answers one command; false when the relay is to end.
    bool obey() {
        char command = 0;
        if (::recv(m_channel, &command, 1, 0) != 1) return false;
        unsigned char answer = 1;
        if (command == 'f' || command == 'a')
            for (Link& l : m_links) l.frozen = l.client >= 0;
        if (command == 'a') m_acceptFrozen = true;
        if (command == 'd') {
            for (Link& l : m_links)
                if (l.frozen) closeLink(l);
            // Links waiting to be accepted are reset with the listening socket.
            if (m_acceptFrozen && m_listen >= 0) ::close(m_listen), m_listen = -1;
        }
        if (command == 'n')
            answer = static_cast<unsigned char>(std::count_if(m_links.begin(), m_links.end(),
                                                              [](const Link& l) { return l.frozen && l.client >= 0; }));
        if (::send(m_channel, &answer, 1, MSG_NOSIGNAL) != 1) return false;
        return command != 'q';
    }
    void run() {
        for (;;) {
            std::vector<pollfd> fds{{m_channel, POLLIN, 0}, {m_acceptFrozen ? -1 : m_listen, POLLIN, 0}};
            for (const Link& l : m_links)
                if (!l.frozen && l.client >= 0) {
                    fds.push_back({l.client, POLLIN, 0});
                    fds.push_back({l.server, POLLIN, 0});
                }
            if (::poll(fds.data(), fds.size(), -1) <= 0) continue;
            // Commands first: a freeze is in force before any later traffic is relayed.
            if (fds[0].revents) {
                if (!obey()) return;
                continue;
            }
            if (fds[1].revents & POLLIN) accept();
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
    int m_port = 0;
    pid_t m_child = -1;
    int m_listen = -1;     // the relay's
    int m_channel = -1;    // each side's end of the command channel
    bool m_acceptFrozen = false;  // the relay's
    std::vector<Link> m_links;    // the relay's
};

}  // namespace importtest
