// netdelay: a relay on 127.0.0.1 that puts a network between the program and
// a serial device server, for the tests and benchmarks of a bus behind one.
//
//   netdelay --target PORT [--listen PORT] [--delay-ms MS]
//            [--hold-ms MS --hold-after BYTES|--hold-after-text TEXT]
//            [--close-after-bytes BYTES|--close-after-text TEXT] [--silent]
//
// Prints the port it listens on as its first line (--listen 0, the default,
// takes a free one), then relays every connection it accepts to
// 127.0.0.1:TARGET until it is killed.  Each chunk read from one side is
// written to the other at its arrival time plus the delay of that direction:
// chunks keep their order and their spacing, none waits for the next.
//
// Faults, on the first connection only, so that a test sees the program get
// on again through the same address once the fault is over:
//   --hold-ms N --hold-after K   the server's bytes after its first K are held
//                                N ms longer, once (a pause inside a reply)
//   --close-after-bytes N        after N bytes from the server both sides are
//                                closed (the server going away mid-transfer)
// Either place can be given as the end of the first TEXT among the server's
// bytes instead (--hold-after-text, --close-after-text): a place in a reply
// that the bytes a Telnet server sends of its own before it do not move.
// And on every connection:
//   --silent                     a server that accepts and never answers: what
//                                the client sends is read and dropped

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <list>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// The server's last bytes kept to find a text that spans two chunks: the
// longest text a place may be.
constexpr std::size_t TailBytes = 64;

// A place among the server's bytes: after the first `bytes`, or after the
// first `text`.
struct Place {
    long bytes = -1;
    std::string text;
    bool given() const { return bytes >= 0 || !text.empty(); }
};

struct Options {
    int listen = 0;
    int target = 0;
    Ms delay{0};
    Ms hold{0};
    Place holdAt;
    Place closeAt;
    bool silent = false;
};

struct Chunk {
    Clock::time_point due;
    std::string bytes;
};

// One way of a connection: what was read and when it is due on the other side.
struct Way {
    int from = -1;
    int to = -1;
    std::deque<Chunk> queue;
    bool ended = false; // the reading side closed: end once the queue is out

    void push(Clock::time_point due, std::string bytes) {
        // A chunk never overtakes the one before it, even behind a hold.
        if (!queue.empty() && queue.back().due > due) due = queue.back().due;
        queue.push_back({due, std::move(bytes)});
    }
};

struct Session {
    int client = -1;
    int server = -1; // -1 when silent
    Way up;          // client to server
    Way down;        // server to client
    bool faulty = false;
    long downBytes = 0; // read from the server so far
    std::string tail;   // its last bytes, for a text that spans two chunks
    bool held = false;
    bool closing = false; // --close-after-bytes reached: close once the rest is out
    bool dead = false;
};

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: netdelay --target PORT [--listen PORT] [--delay-ms MS] "
                         "[--hold-ms MS --hold-after BYTES|--hold-after-text TEXT] "
                         "[--close-after-bytes BYTES|--close-after-text TEXT] [--silent]\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--silent") {
            o.silent = true;
            continue;
        }
        if (i + 1 >= argc) usage();
        if (a == "--hold-after-text" || a == "--close-after-text") {
            std::string& text = (a == "--hold-after-text" ? o.holdAt : o.closeAt).text;
            text = argv[++i];
            if (text.empty() || text.size() > TailBytes) usage();
            continue;
        }
        char* end = nullptr;
        const long v = std::strtol(argv[++i], &end, 10);
        if (*end != '\0' || v < 0) usage();
        if (a == "--listen")
            o.listen = int(v);
        else if (a == "--target")
            o.target = int(v);
        else if (a == "--delay-ms")
            o.delay = Ms(v);
        else if (a == "--hold-ms")
            o.hold = Ms(v);
        else if (a == "--hold-after")
            o.holdAt.bytes = v;
        else if (a == "--close-after-bytes")
            o.closeAt.bytes = v;
        else
            usage();
    }
    if (o.target <= 0 && !o.silent) usage();
    if ((o.hold.count() > 0) != o.holdAt.given()) usage();
    return o;
}

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(std::uint16_t(port));
    return a;
}

// Every chunk leaves as it is written, not gathered with the next by Nagle.
void noDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void closeSession(Session& s) {
    if (s.client >= 0) ::close(s.client);
    if (s.server >= 0) ::close(s.server);
    s.client = s.server = -1;
    s.dead = true;
}

// Where a place falls in this chunk of the server's bytes, as the number of
// its bytes before it; npos when it is not in this chunk.
std::size_t placeIn(const Place& place, const Session& s, const std::string& chunk) {
    if (place.bytes >= 0) {
        const long at = place.bytes - s.downBytes;
        return at >= 0 && at <= long(chunk.size()) ? std::size_t(at) : std::string::npos;
    }
    if (place.text.empty()) return std::string::npos;
    const std::size_t at = (s.tail + chunk).find(place.text);
    if (at == std::string::npos || at + place.text.size() <= s.tail.size())
        return std::string::npos;
    return at + place.text.size() - s.tail.size();
}

// Reads what one side has; false when the session is over.
bool readInto(Session& s, Way& way, const Options& o, bool fromServer) {
    char buffer[4096];
    const ssize_t n = ::recv(way.from, buffer, sizeof buffer, 0);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) {
        way.ended = true;
        return true;
    }
    const auto now = Clock::now();
    std::string bytes(buffer, std::size_t(n));
    if (!fromServer) {
        if (s.server >= 0) way.push(now + o.delay, std::move(bytes));
        return true;
    }
    if (s.closing) return true; // past the cut: never relayed
    const std::size_t cut = s.faulty ? placeIn(o.closeAt, s, bytes) : std::string::npos;
    const std::size_t hold = s.faulty && !s.held ? placeIn(o.holdAt, s, bytes) : std::string::npos;
    s.downBytes += n;
    s.tail += bytes;
    if (s.tail.size() > TailBytes) s.tail.erase(0, s.tail.size() - TailBytes);
    if (cut != std::string::npos) {
        bytes.resize(cut);
        s.closing = true;
    }
    if (hold != std::string::npos && hold <= bytes.size()) {
        // What comes after the place waits behind the held part, even when
        // the part itself is empty: the hold starts at the next chunk.
        way.push(now + o.delay, bytes.substr(0, hold));
        way.push(now + o.delay + o.hold, bytes.substr(hold));
        s.held = true;
    } else if (!bytes.empty()) {
        way.push(now + o.delay, std::move(bytes));
    }
    return true;
}

// Writes what is due; false when the session is over.
bool writeDue(Session& s, Way& way, Clock::time_point now) {
    while (!way.queue.empty() && way.queue.front().due <= now) {
        const std::string& bytes = way.queue.front().bytes;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(way.to, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += std::size_t(n);
        }
        way.queue.pop_front();
    }
    if (!way.queue.empty()) return true;
    if (&way == &s.down && s.closing) return false;
    return !way.ended;
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopback(o.listen);
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        ::listen(listener, 4)) {
        std::fprintf(stderr, "netdelay: cannot listen on 127.0.0.1:%d: %s\n", o.listen,
                     std::strerror(errno));
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);

    std::list<Session> sessions;
    bool first = true;
    for (;;) {
        std::vector<pollfd> fds{{listener, POLLIN, 0}};
        std::vector<std::pair<Session*, bool>> owners{{nullptr, false}}; // session, from server
        auto due = Clock::time_point::max();
        for (Session& s : sessions) {
            for (Way* way : {&s.up, &s.down}) {
                if (!way->ended && way->from >= 0) {
                    fds.push_back({way->from, POLLIN, 0});
                    owners.push_back({&s, way == &s.down});
                }
                if (!way->queue.empty() && way->queue.front().due < due)
                    due = way->queue.front().due;
            }
        }
        timespec wait{};
        timespec* timeout = nullptr;
        if (due != Clock::time_point::max()) {
            const auto ns = std::max<std::int64_t>(
                0,
                std::chrono::duration_cast<std::chrono::nanoseconds>(due - Clock::now()).count());
            wait = {time_t(ns / 1000000000), long(ns % 1000000000)};
            timeout = &wait;
        }
        if (::ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR) return 1;

        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            auto [s, fromServer] = owners[i];
            if (s->dead) continue;
            if (!readInto(*s, fromServer ? s->down : s->up, o, fromServer)) closeSession(*s);
        }
        const auto now = Clock::now();
        for (Session& s : sessions) {
            if (s.dead) continue;
            if (s.server < 0) {
                if (s.up.ended) closeSession(s); // silent: until the client hangs up
                continue;
            }
            if (!writeDue(s, s.up, now) || !writeDue(s, s.down, now)) closeSession(s);
        }
        sessions.remove_if([](const Session& s) { return s.dead; });

        if (fds[0].revents & POLLIN) {
            const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            noDelay(client);
            Session& s = sessions.emplace_back();
            s.client = client;
            s.faulty = first;
            first = false;
            if (!o.silent) {
                s.server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                const sockaddr_in target = loopback(o.target);
                if (s.server < 0 || ::connect(s.server, reinterpret_cast<const sockaddr*>(&target),
                                              sizeof target)) {
                    closeSession(s);
                    continue;
                }
                noDelay(s.server);
            }
            s.up.from = client;
            s.up.to = s.server;
            s.down.from = s.server;
            s.down.to = client;
        }
    }
}
