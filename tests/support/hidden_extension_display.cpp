#include "support/hidden_extension_display.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <list>
#include <set>
#include <vector>

namespace tintora::test {

namespace {

constexpr std::uint8_t QueryExtensionOpcode = 98;
constexpr std::uint8_t ReplyCode = 1;
constexpr std::uint8_t GenericEventCode = 35;

std::size_t padded(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

sockaddr_un unixAddress(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// One client's connection and the one made for it to the server, with what
// each side sent that is not passed on yet.
struct Link {
    int client = -1;
    int server = -1;
    std::string fromClient, fromServer; // not yet whole requests or replies
    std::string toClient, toServer;     // passed on, not yet written
    // Descriptors sent along (MIT-SHM's and DRI3's memory), passed on with
    // the next bytes written the same way: a server takes them in order,
    // with the request they belong to or before it.
    std::vector<int> fdsToClient, fdsToServer;
    bool clientSetUp = false, serverSetUp = false;
    bool mostSignificantFirst = false;
    std::uint16_t sequence = 0;
    std::set<std::uint16_t> hiddenReplies; // sequence numbers of the QueryExtensions to answer "absent"
    bool closed = false;

    std::uint32_t number(const std::string& bytes, std::size_t at, int size) const
    {
        std::uint32_t n = 0;
        for (int i = 0; i < size; ++i) {
            const int k = mostSignificantFirst ? i : size - 1 - i;
            n = (n << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(k)]);
        }
        return n;
    }

    // Whole requests from the client go on to the server; the sequence
    // numbers of those asking for the hidden extension are noted.
    void passRequests(const std::string& hidden)
    {
        for (;;) {
            std::size_t size = 0;
            if (!clientSetUp) {
                if (fromClient.size() < 12) return;
                mostSignificantFirst = fromClient[0] == 'B';
                size = 12 + padded(number(fromClient, 6, 2)) + padded(number(fromClient, 8, 2));
            } else {
                if (fromClient.size() < 4) return;
                size = std::size_t{number(fromClient, 2, 2)} * 4;
                if (size == 0) { // BIG-REQUESTS: the length follows
                    if (fromClient.size() < 8) return;
                    size = std::size_t{number(fromClient, 4, 4)} * 4;
                }
            }
            if (size == 0 || fromClient.size() < size) return;
            if (clientSetUp) {
                ++sequence;
                if (static_cast<std::uint8_t>(fromClient[0]) == QueryExtensionOpcode && size >= 8 &&
                    fromClient.compare(8, number(fromClient, 4, 2), hidden) == 0 &&
                    number(fromClient, 4, 2) == hidden.size())
                    hiddenReplies.insert(sequence);
            }
            clientSetUp = true;
            toServer.append(fromClient, 0, size);
            fromClient.erase(0, size);
        }
    }

    // Whole replies, events and errors from the server go on to the client,
    // the answers to the noted QueryExtensions saying "absent".
    void passReplies()
    {
        for (;;) {
            std::size_t size = 0;
            if (!serverSetUp) {
                if (fromServer.size() < 8) return;
                size = 8 + std::size_t{number(fromServer, 6, 2)} * 4;
            } else {
                if (fromServer.size() < 32) return;
                const auto code = static_cast<std::uint8_t>(fromServer[0]) & 0x7f;
                size = 32;
                if (code == ReplyCode || code == GenericEventCode) size += std::size_t{number(fromServer, 4, 4)} * 4;
            }
            if (fromServer.size() < size) return;
            if (serverSetUp && static_cast<std::uint8_t>(fromServer[0]) == ReplyCode) {
                const auto sequenceOf = static_cast<std::uint16_t>(number(fromServer, 2, 2));
                if (hiddenReplies.erase(sequenceOf)) {
                    // present, major opcode, first event, first error
                    for (std::size_t i = 8; i < 12; ++i) fromServer[i] = 0;
                }
            }
            serverSetUp = true;
            toClient.append(fromServer, 0, size);
            fromServer.erase(0, size);
        }
    }
};

constexpr std::size_t MostFdsAtOnce = 16;

// Reads what fd has into buffer, and the descriptors sent with it into fds;
// false when the other end has gone.
bool readInto(int fd, std::string& buffer, std::vector<int>& fds)
{
    char chunk[65536];
    for (;;) {
        iovec data{chunk, sizeof chunk};
        alignas(cmsghdr) char control[CMSG_SPACE(MostFdsAtOnce * sizeof(int))];
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); n > 0 && c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int passed = -1;
                std::memcpy(&passed, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                fds.push_back(passed);
            }
        }
        if (n > 0) {
            buffer.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) return false;
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
}

// Writes as much of pending as fd takes, the descriptors in fds with the
// first bytes; false when the other end has gone.
bool writeFrom(int fd, std::string& pending, std::vector<int>& fds)
{
    while (!pending.empty()) {
        iovec data{pending.data(), pending.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(MostFdsAtOnce * sizeof(int))];
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        const std::size_t count = std::min(fds.size(), MostFdsAtOnce);
        if (count > 0) {
            message.msg_control = control;
            message.msg_controllen = CMSG_SPACE(count * sizeof(int));
            cmsghdr* c = CMSG_FIRSTHDR(&message);
            c->cmsg_level = SOL_SOCKET;
            c->cmsg_type = SCM_RIGHTS;
            c->cmsg_len = CMSG_LEN(count * sizeof(int));
            std::memcpy(CMSG_DATA(c), fds.data(), count * sizeof(int));
        }
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n > 0) {
            for (std::size_t i = 0; i < count; ++i) ::close(fds[i]);
            fds.erase(fds.begin(), fds.begin() + static_cast<std::ptrdiff_t>(count));
            pending.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
    }
    return true;
}

void closeLink(Link& link)
{
    ::close(link.client);
    ::close(link.server);
    for (int fd : link.fdsToClient) ::close(fd);
    for (int fd : link.fdsToServer) ::close(fd);
}

} // namespace

HiddenExtensionDisplay::HiddenExtensionDisplay(const Xvfb& server, std::string extension)
    : m_serverSocket("/tmp/.X11-unix/X" + server.displayName().substr(1)), m_extension(std::move(extension))
{
    // A number nobody uses, claimed with its lock file as an X server claims
    // it, so that no private server of another test takes it meanwhile.
    for (int number = 101 + static_cast<int>(::getpid() % 400) * 2, attempt = 0; attempt < 200; ++number, ++attempt) {
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        const int fd = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0444);
        if (fd < 0) continue;
        char pid[16];
        const int length = std::snprintf(pid, sizeof pid, "%10d\n", static_cast<int>(::getpid()));
        const bool written = ::write(fd, pid, static_cast<std::size_t>(length)) == length;
        ::close(fd);
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = unixAddress(path);
        if (written && listener >= 0 &&
            ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener, 16) == 0) {
            m_listener = listener;
            m_name = ":" + std::to_string(number);
            m_socketPath = path;
            m_lockPath = lock;
            break;
        }
        m_error = path + ": " + std::strerror(errno);
        if (listener >= 0) ::close(listener);
        ::unlink(lock.c_str());
    }
    if (m_listener < 0) {
        m_error = "no display number could be taken: " + m_error;
        return;
    }
    if (::pipe2(m_stop, O_CLOEXEC) != 0) {
        m_error = std::string("no pipe: ") + std::strerror(errno);
        ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_thread = std::thread([this] { run(); });
}

HiddenExtensionDisplay::~HiddenExtensionDisplay()
{
    if (m_thread.joinable()) {
        const char byte = 1;
        [[maybe_unused]] const auto n = ::write(m_stop[1], &byte, 1);
        m_thread.join();
    }
    for (int fd : {m_listener, m_stop[0], m_stop[1]})
        if (fd >= 0) ::close(fd);
    if (!m_socketPath.empty()) ::unlink(m_socketPath.c_str());
    if (!m_lockPath.empty()) ::unlink(m_lockPath.c_str());
}

void HiddenExtensionDisplay::run()
{
    std::list<Link> links;
    for (;;) {
        std::vector<pollfd> watched{{m_stop[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        for (const Link& link : links) {
            watched.push_back({link.client, static_cast<short>(POLLIN | (link.toClient.empty() ? 0 : POLLOUT)), 0});
            watched.push_back({link.server, static_cast<short>(POLLIN | (link.toServer.empty() ? 0 : POLLOUT)), 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[0].revents) break;
        if (watched[1].revents & POLLIN) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_un address = unixAddress(m_serverSocket);
            if (client >= 0 && server >= 0 &&
                ::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                setNonBlocking(server);
                Link& link = links.emplace_back();
                link.client = client;
                link.server = server;
            } else {
                if (client >= 0) ::close(client);
                if (server >= 0) ::close(server);
            }
        }
        std::size_t at = 2;
        for (Link& link : links) {
            if (at + 1 >= watched.size()) break; // accepted in this round: not polled yet
            const pollfd& client = watched[at++];
            const pollfd& server = watched[at++];
            if (client.revents & (POLLIN | POLLHUP | POLLERR))
                link.closed |= !readInto(link.client, link.fromClient, link.fdsToServer);
            if (server.revents & (POLLIN | POLLHUP | POLLERR))
                link.closed |= !readInto(link.server, link.fromServer, link.fdsToClient);
            link.passRequests(m_extension);
            link.passReplies();
            link.closed |= !writeFrom(link.server, link.toServer, link.fdsToServer) ||
                           !writeFrom(link.client, link.toClient, link.fdsToClient);
        }
        for (auto it = links.begin(); it != links.end();) {
            if (!it->closed) {
                ++it;
                continue;
            }
            // What one side sent before it went still reaches the other.
            writeFrom(it->server, it->toServer, it->fdsToServer);
            writeFrom(it->client, it->toClient, it->fdsToClient);
            closeLink(*it);
            it = links.erase(it);
        }
    }
    for (Link& link : links) closeLink(link);
}

} // namespace tintora::test
