#include "platform/ado/LinkSockets.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace platform::ado::link {

namespace {

// The watches under way, each with whether another one overlapped it.
std::mutex g_mutex;
std::map<unsigned long, bool> g_opening;
unsigned long g_nextId = 1;

bool identify(int fd, Socket& socket) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return false;
    socket.fd = fd;
    socket.device = st.st_dev;
    socket.inode = st.st_ino;
    return true;
}

bool isTcp(int fd, bool connecting) {
    int domain = 0, type = 0;
    socklen_t size = sizeof domain;
    if (::getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &size) != 0 || (domain != AF_INET && domain != AF_INET6)) return false;
    size = sizeof type;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size) != 0 || type != SOCK_STREAM) return false;
    sockaddr_storage peer{};
    socklen_t peerSize = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0) return true;
    if (!connecting) return false;
    tcp_info info{};
    size = sizeof info;
    return ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 && info.tcpi_state == TCP_SYN_SENT;
}

// Every socket the process has open now.
std::vector<Socket> openSockets() {
    std::vector<Socket> list;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return list;
    const int own = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own) continue;
        Socket s;
        if (identify(int(fd), s)) list.push_back(s);
    }
    ::closedir(dir);
    return list;
}

bool sameSocket(const Socket& a, const Socket& b) { return a.device == b.device && a.inode == b.inode; }

}  // namespace

OpeningWatch::OpeningWatch() {
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        m_id = g_nextId++;
        const bool overlapped = !g_opening.empty();
        for (auto& [id, flag] : g_opening) flag = true;
        g_opening[m_id] = overlapped;
    }
    m_before = openSockets();
}

OpeningWatch::~OpeningWatch() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_opening.erase(m_id);
}

std::vector<Socket> OpeningWatch::opened(bool connecting) {
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        if (g_opening[m_id]) return {};
    }
    std::vector<Socket> found;
    for (const Socket& s : openSockets()) {
        const bool old = std::any_of(m_before.begin(), m_before.end(), [&](const Socket& b) { return sameSocket(b, s); });
        if (!old && isTcp(s.fd, connecting)) found.push_back(s);
    }
    // Another watch that began while this one listed the sockets overlapped it too.
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_opening[m_id]) return {};
    return found;
}

int shutDown(const std::vector<Socket>& sockets) {
    int count = 0;
    for (const Socket& s : sockets) {
        Socket now;
        if (!identify(s.fd, now) || !sameSocket(now, s)) continue;
        if (::shutdown(s.fd, SHUT_RDWR) == 0) ++count;
    }
    return count;
}

}  // namespace platform::ado::link
