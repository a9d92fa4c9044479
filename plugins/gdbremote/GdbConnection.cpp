#include "GdbConnection.h"

#include "GdbFraming.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Before the server names its packet size: what every GDB server takes.
constexpr size_t kDefaultPacketSize = 400;
// Bounds on what a server may claim: below this not even a one-word access
// fits, and above it the packets are only memory the link has to hold.
constexpr size_t kMinPacketSize = 32;
constexpr size_t kMaxPacketSize = 1 << 20;
// How often one packet is sent or asked for again before the access fails.
constexpr int kRetries = 3;
// Waits look at the stop request this often.
constexpr int kWaitSliceMs = 50;
// Resynchronising: the line counts as quiet after this long without a byte,
// and a server that keeps talking for longer than the limit is dropped.
constexpr int kQuietMs = 50;
constexpr long long kResyncLimitMs = 2000;
// Detaching does not wait for a slow server for long: the link is closing.
constexpr unsigned kDetachTimeoutMs = 1000;

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

size_t HexDigits(std::uint64_t value) {
    size_t n = 1;
    while (value >>= 4)
        ++n;
    return n;
}

// "E NN", or "E." followed by a text, as servers report a refused access.
bool IsErrorReply(const std::string& reply, int& code) {
    if (reply.size() == 3 && reply[0] == 'E') {
        std::uint64_t value = 0;
        if (gdbremote::ParseHexNumber(std::string_view(reply).substr(1), value)) {
            code = static_cast<int>(value);
            return true;
        }
    }
    if (reply.size() >= 2 && reply[0] == 'E' && reply[1] == '.') {
        code = 0;
        return true;
    }
    return false;
}

// A stop reply ("S05", "T05thread:01;", an exit "W00"/"X09"): the answer to
// '?', and what QEMU also sends by itself when a connection halts a running
// target.
bool IsStopReply(const std::string& reply) {
    std::uint64_t signal = 0;
    return reply.size() >= 3 && std::string_view("STWX").find(reply[0]) != std::string_view::npos &&
           gdbremote::ParseHexNumber(std::string_view(reply).substr(1, 2), signal);
}

std::string Broken(int error) {
    if (error == ECONNRESET || error == EPIPE)
        return "the server closed the connection";
    return std::string("the connection failed (") + std::strerror(error) + ")";
}

} // namespace

CGdbConnection::CGdbConnection(std::function<bool()> stopRequested,
                               std::function<void(const std::string&)> log)
    : m_stopRequested(std::move(stopRequested)), m_log(std::move(log)), m_reader(kMaxPacketSize),
      m_in(64 * 1024) {}

CGdbConnection::~CGdbConnection() {
    Close();
}

void CGdbConnection::Log(const std::string& line) const {
    if (m_log)
        m_log(line);
}

// ---- Connecting and negotiating ------------------------------------------------

bool CGdbConnection::Open(const Options& options) {
    Close();
    m_options = options;
    m_packetSize = kDefaultPacketSize;
    m_noAck = false;
    m_physical = false;
    m_binary = -1;
    m_stopped = false;
    m_stopSeenAt = -1;
    m_error.clear();
    m_reader = CGdbPacketReader(kMaxPacketSize);
    m_inPos = m_inEnd = 0;
    m_ackDue = false;
    if (!Connect())
        return false;

    // As GDB does on connecting: an acknowledgement that settles a server
    // still waiting for one from an earlier client.
    std::string reply;
    if (!SendAll("+") || Command("qSupported", reply) != Result::Ok) {
        Drop("no answer to qSupported: " + m_error);
        return false;
    }
    bool noAckOffered = false;
    size_t at = 0;
    while (at <= reply.size()) {
        const size_t end = std::min(reply.find(';', at), reply.size());
        const std::string feature = reply.substr(at, end - at);
        at = end + 1;
        std::uint64_t size = 0;
        if (feature.rfind("PacketSize=", 0) == 0 &&
            gdbremote::ParseHexNumber(feature.substr(11), size))
            m_packetSize =
                std::clamp<size_t>(static_cast<size_t>(size), kMinPacketSize, kMaxPacketSize);
        else if (feature == "QStartNoAckMode+")
            noAckOffered = true;
    }
    // Replies may be longer than the packet size (QEMU answers a read of its
    // largest size with a reply one frame larger than it): the reader allows
    // for that and no more.
    m_reader = CGdbPacketReader(2 * m_packetSize + 64);

    if (noAckOffered && Command("QStartNoAckMode", reply) == Result::Ok && reply == "OK")
        m_noAck = true;
    // QEMU keeps the mode from one client to the next: it is set either way.
    if (Command("qqemu.Supported", reply) == Result::Ok &&
        reply.find("PhyMemMode") != std::string::npos) {
        const bool ok =
            Command(m_options.physicalMemory ? "Qqemu.PhyMemMode:1" : "Qqemu.PhyMemMode:0",
                    reply) == Result::Ok &&
            reply == "OK";
        m_physical = ok && m_options.physicalMemory;
    }
    m_expectStop = true;
    const Result stopState = Command("?", reply);
    m_expectStop = false;
    if (stopState != Result::Ok) {
        Drop("no answer to the stop-state query: " + m_error);
        return false;
    }
    Log("gdbremote: connected to " + m_options.host + ":" + std::to_string(m_options.port) +
        ", packet size " + std::to_string(m_packetSize) +
        (m_noAck ? ", no acknowledgements" : ", acknowledged packets") +
        (m_physical ? ", physical addresses" : "") + ", stop state \"" + reply.substr(0, 40) +
        "\"");
    return true;
}

bool CGdbConnection::Connect() {
    const std::string where = m_options.host + ":" + std::to_string(m_options.port);
    if (m_options.port == 0 || m_options.port > 65535) {
        m_error = "the port of " + where + " is not a TCP port";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int lookup =
        getaddrinfo(m_options.host.c_str(), std::to_string(m_options.port).c_str(), &hints, &found);
    if (lookup != 0) {
        m_error = "the host of " + where + " is not known (" + gai_strerror(lookup) + ")";
        return false;
    }
    const long long deadline = NowMs() + m_options.connectTimeoutMs;
    std::string why = "no address";
    for (addrinfo* ai = found; ai && m_fd < 0; ai = ai->ai_next) {
        const int fd =
            socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            why = std::strerror(errno);
            continue;
        }
        int error = 0;
        if (connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                m_fd = fd; // for Wait
                const int ready = Wait(POLLOUT, deadline);
                m_fd = -1;
                socklen_t length = sizeof error;
                if (ready > 0 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
                else if (ready == 0)
                    error = ETIMEDOUT;
                else if (ready < 0)
                    error = errno;
            }
        }
        if (error != 0) {
            why = std::strerror(error);
            close(fd);
            continue;
        }
        // Packets are small and answered one by one: never hold one back.
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        m_fd = fd;
    }
    freeaddrinfo(found);
    if (m_fd < 0) {
        m_error = "cannot connect to " + where + " (" + why + ")";
        return false;
    }
    return true;
}

void CGdbConnection::Close() {
    if (m_fd < 0)
        return;
    // Detaching lets the target run again. It goes out even when the link is
    // stopping, and a server that does not answer in time is left all the same.
    const unsigned timeout = m_options.replyTimeoutMs;
    m_options.replyTimeoutMs = std::min(timeout, kDetachTimeoutMs);
    m_closing = true;
    m_stopSeenAt = -1;
    std::string reply;
    // The next client of the server (a debugger, say) expects QEMU's usual
    // virtual addresses.
    if (m_physical)
        Command("Qqemu.PhyMemMode:0", reply);
    m_physical = false;
    if (Command("D", reply) == Result::Ok)
        Log("gdbremote: detached from " + m_options.host + ":" + std::to_string(m_options.port));
    m_closing = false;
    m_options.replyTimeoutMs = timeout;
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

void CGdbConnection::Drop(const std::string& why, bool stopped) {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    m_error = why;
    m_stopped = stopped;
}

CGdbConnection::Result CGdbConnection::Fail(Result result, const std::string& why) {
    m_error = why;
    return result;
}

// ---- Memory ---------------------------------------------------------------------

size_t CGdbConnection::ReadChunk() const {
    // The reply carries two digits per byte inside its frame.
    return std::max<size_t>(4, ((m_packetSize - 4) / 2) & ~size_t{3});
}

size_t CGdbConnection::WriteChunk(std::uint64_t address, size_t size) const {
    // "M<address>,<length>:" and two digits per byte, inside the frame.
    const size_t header = 3 + HexDigits(address + size) + HexDigits(m_packetSize);
    const size_t room = m_packetSize > header + 4 ? m_packetSize - header - 4 : 0;
    return std::max<size_t>(4, (room / 2) & ~size_t{3});
}

CGdbConnection::Result CGdbConnection::Read(std::uint64_t address, std::uint8_t* out, size_t size) {
    if (size == 0)
        return Result::Ok;
    const size_t chunk = ReadChunk();
    const size_t count = (size + chunk - 1) / chunk;
    return Transact(
        count,
        [&](size_t i, std::string& packet) {
            const size_t start = gdbremote::BeginFrame(packet);
            packet += 'm';
            gdbremote::AppendHexNumber(packet, address + i * chunk);
            packet += ',';
            gdbremote::AppendHexNumber(packet, std::min(chunk, size - i * chunk));
            gdbremote::EndFrame(packet, start);
        },
        [&](size_t i, const std::string& reply) {
            const size_t length = std::min(chunk, size - i * chunk);
            if (IsErrorReply(reply, m_targetError))
                return Fail(Result::TargetError, "the server refused to read " +
                                                     std::to_string(length) + " bytes at " +
                                                     Hex(address + i * chunk) + " (" + reply + ")");
            if (reply.size() != 2 * length)
                return Fail(Result::Protocol, "a reply of " + std::to_string(reply.size()) +
                                                  " characters to a read of " +
                                                  std::to_string(length) + " bytes at " +
                                                  Hex(address + i * chunk));
            if (!gdbremote::DecodeHex(reply, out + i * chunk))
                return Fail(Result::Protocol,
                            "a read reply that is not hexadecimal, at " + Hex(address + i * chunk));
            return Result::Ok;
        });
}

bool CGdbConnection::ProbeBinary(std::uint64_t address) {
    // As GDB asks: a write of no bytes, answered "OK" by servers that take
    // binary data and with an empty packet by those that do not.
    std::string packet = "X";
    gdbremote::AppendHexNumber(packet, address);
    packet += ",0:";
    std::string reply;
    if (Command(packet, reply) != Result::Ok)
        return false;
    m_binary = reply == "OK" ? 1 : 0;
    Log(std::string("gdbremote: binary writes ") + (m_binary ? "accepted" : "not offered"));
    return true;
}

CGdbConnection::Result CGdbConnection::Write(std::uint64_t address, const std::uint8_t* data,
                                             size_t size) {
    if (size == 0)
        return Result::Ok;
    if (m_binary < 0 && IsOpen() && !ProbeBinary(address))
        return Result::LinkDown;
    // Chunk boundaries, each a whole number of words where the size allows.
    std::vector<size_t> starts;
    if (m_binary == 1) {
        const size_t header = 3 + HexDigits(address + size) + HexDigits(m_packetSize);
        const size_t room = m_packetSize > header + 4 ? m_packetSize - header - 4 : 8;
        size_t at = 0;
        while (at < size) {
            starts.push_back(at);
            size_t used = 0, end = at;
            while (end < size) {
                const size_t step = std::min<size_t>(4, size - end);
                size_t cost = step;
                for (size_t k = 0; k < step; ++k)
                    cost += gdbremote::NeedsEscape(data[end + k]);
                if (used + cost > room && end > at)
                    break;
                used += cost;
                end += step;
            }
            at = end;
        }
    } else {
        const size_t chunk = WriteChunk(address, size);
        for (size_t at = 0; at < size; at += chunk)
            starts.push_back(at);
    }
    starts.push_back(size);
    const bool binary = m_binary == 1;
    return Transact(
        starts.size() - 1,
        [&](size_t i, std::string& packet) {
            const size_t from = starts[i], length = starts[i + 1] - from;
            const size_t start = gdbremote::BeginFrame(packet);
            packet += binary ? 'X' : 'M';
            gdbremote::AppendHexNumber(packet, address + from);
            packet += ',';
            gdbremote::AppendHexNumber(packet, length);
            packet += ':';
            if (binary)
                gdbremote::AppendEscaped(packet, data + from, length);
            else
                gdbremote::AppendHex(packet, data + from, length);
            gdbremote::EndFrame(packet, start);
        },
        [&](size_t i, const std::string& reply) {
            if (reply == "OK")
                return Result::Ok;
            const std::string what =
                std::to_string(starts[i + 1] - starts[i]) + " bytes at " + Hex(address + starts[i]);
            if (IsErrorReply(reply, m_targetError))
                return Fail(Result::TargetError,
                            "the server refused to write " + what + " (" + reply + ")");
            return Fail(Result::Protocol, "an unexpected reply to a write of " + what + ": \"" +
                                              reply.substr(0, 32) + "\"");
        });
}

CGdbConnection::Result CGdbConnection::Command(const std::string& payload, std::string& reply) {
    reply.clear();
    return Transact(
        1, [&](size_t, std::string& packet) { gdbremote::AppendFrame(packet, payload); },
        [&](size_t, const std::string& answer) {
            reply = answer;
            return Result::Ok;
        });
}

// ---- Packets in flight ----------------------------------------------------------

// Sends the count packets that make(i, out) appends, keeping up to the
// configured number in flight, and hands each reply to take(i, reply) in
// order. Acknowledgements ('+'/'-') arrive in the order the packets went
// out, and replies in the order the server acknowledged them; after a failure
// no new packet is sent, and what is in flight is still collected.
template <class Make, class Take>
CGdbConnection::Result CGdbConnection::Transact(size_t count, Make&& make, Take&& take) {
    if (m_fd < 0)
        return Result::LinkDown;
    const size_t window = std::max(1u, m_options.packetsInFlight);
    std::deque<size_t> unacked, awaiting, redo;
    std::vector<int> attempts(count, 0);
    size_t next = 0;
    Result result = Result::Ok;
    bool resync = false;
    auto issue = [&](size_t i) {
        make(i, m_out);
        (m_noAck ? awaiting : unacked).push_back(i);
    };
    auto fail = [&](Result r, const char* why) {
        if (result == Result::Ok) {
            result = r;
            m_error = why;
        }
    };
    for (;;) {
        if (result == Result::Ok && !m_closing && StopRequested()) {
            // What is in flight is still collected, so that the detach
            // that follows is understood.
            fail(Result::LinkDown, "the link is stopping");
            m_stopped = true;
        }
        while (result == Result::Ok && unacked.size() + awaiting.size() < window) {
            if (!redo.empty()) {
                issue(redo.front());
                redo.pop_front();
            } else if (next < count) {
                issue(next++);
            } else {
                break;
            }
        }
        if (!m_out.empty()) {
            const bool sent = SendAll(m_out);
            m_out.clear();
            if (!sent)
                return Result::LinkDown;
        }
        if (unacked.empty() && awaiting.empty())
            break;
        Event event = Event::None;
        if (!Receive(event))
            return Result::LinkDown;
        if (event == Event::Ack || event == Event::Nak) {
            if (m_noAck || unacked.empty())
                continue; // a stray acknowledgement
            const size_t i = unacked.front();
            unacked.pop_front();
            if (event == Event::Ack) {
                awaiting.push_back(i);
            } else if (++attempts[i] > kRetries) {
                fail(Result::Protocol, "the server kept asking for a packet again");
            } else {
                Log("gdbremote: the server asked for a packet again");
                issue(i);
            }
            continue;
        }
        if (event == Event::Notification)
            continue; // asynchronous news of a non-stop server: not an answer
        if (event == Event::Packet && !m_expectStop && IsStopReply(m_reader.Payload())) {
            // Nothing asked for it: the target stopped by itself (QEMU halts
            // a running target when a client connects, and says so).
            Log("gdbremote: the server reported a stop by itself: " +
                m_reader.Payload().substr(0, 40));
            if (!m_noAck)
                m_out += '+';
            continue;
        }
        // A packet: the answer to the oldest one in flight. A server that
        // answers without acknowledging first has acknowledged implicitly.
        if (!m_noAck && awaiting.empty() && !unacked.empty()) {
            awaiting.push_back(unacked.front());
            unacked.pop_front();
        }
        if (awaiting.empty()) {
            Log("gdbremote: a packet nobody asked for was ignored");
            if (!m_noAck && event == Event::Packet)
                m_out += '+';
            continue;
        }
        const size_t i = awaiting.front();
        if (event == Event::BadChecksum) {
            Log("gdbremote: a reply arrived damaged (bad checksum)");
            if (!m_noAck && awaiting.size() == 1 && unacked.empty() && attempts[i] < kRetries) {
                // Nothing else in flight: the server's last packet is this
                // reply, and '-' has it sent again.
                ++attempts[i];
                m_out += '-';
                continue;
            }
            // Otherwise '-' would bring back a later reply: the packet is
            // asked again instead, once the others are in.
            if (!m_noAck)
                m_out += '+';
            awaiting.pop_front();
            if (++attempts[i] > kRetries)
                fail(Result::Protocol, "replies kept arriving damaged (bad checksum)");
            else
                redo.push_back(i);
            continue;
        }
        if (!m_noAck)
            m_out += '+';
        awaiting.pop_front();
        if (event != Event::Packet) {
            fail(Result::Protocol, event == Event::Overflow ? "a reply larger than any request"
                                                            : "a reply that cannot be decoded");
            resync = true;
        } else if (result == Result::Ok) {
            result = take(i, m_reader.Payload());
            resync = result == Result::Protocol;
        }
    }
    if (m_garbage) {
        Log("gdbremote: " + std::to_string(m_garbage) + " bytes outside packets were skipped");
        m_garbage = 0;
    }
    if (resync)
        Resync();
    return IsOpen() ? result : Result::LinkDown;
}

// ---- The socket -------------------------------------------------------------------

bool CGdbConnection::StopRequested() {
    if (m_stopSeenAt < 0 && m_stopRequested && m_stopRequested())
        m_stopSeenAt = NowMs();
    return m_stopSeenAt >= 0;
}

// 1: ready; 0: the deadline passed; -1: the socket failed. Once a stop is
// requested no wait lasts beyond a short grace: enough for a live server to
// answer what is in flight and the detach, not for a silent one to hold the
// worker.
int CGdbConnection::Wait(short events, long long deadlineMs) {
    for (;;) {
        if (StopRequested())
            deadlineMs = std::min(deadlineMs, m_stopSeenAt + kDetachTimeoutMs);
        const long long left = deadlineMs - NowMs();
        if (left <= 0)
            return 0;
        pollfd p{m_fd, events, 0};
        const int n = poll(&p, 1, static_cast<int>(std::min<long long>(left, kWaitSliceMs)));
        if (n > 0)
            return 1; // errors and hang-ups show in the recv or send that follows
        if (n < 0 && errno != EINTR)
            return -1;
    }
}

bool CGdbConnection::Receive(Event& event) {
    long long deadline = NowMs() + m_options.replyTimeoutMs;
    for (;;) {
        const char* cursor = m_in.data() + m_inPos;
        event = m_reader.Next(cursor, m_in.data() + m_inEnd);
        m_inPos = static_cast<size_t>(cursor - m_in.data());
        m_garbage += m_reader.TakeGarbage();
        if (event != Event::None)
            return true;
        m_inPos = m_inEnd = 0;
        const ssize_t n = recv(m_fd, m_in.data(), m_in.size(), MSG_DONTWAIT);
        if (n > 0) {
            m_inEnd = static_cast<size_t>(n);
            deadline = NowMs() + m_options.replyTimeoutMs;
            m_ackDue = true;
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            Drop(Broken(n == 0 ? ECONNRESET : errno));
            return false;
        }
        if (m_ackDue) {
            // Before waiting, have the kernel acknowledge what came at once:
            // a server that sends '+' and its reply separately, without
            // TCP_NODELAY, holds the reply back until the '+' is acknowledged,
            // and the kernel would delay that. Whatever we send carries the
            // acknowledgement too, so only a wait that follows data pays.
            const int one = 1;
            setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
            m_ackDue = false;
        }
        const int ready = Wait(POLLIN, deadline);
        if (ready == 0) {
            Drop("the server stopped answering (nothing for " +
                     std::to_string(m_options.replyTimeoutMs) + " ms)",
                 StopRequested());
            return false;
        }
        if (ready < 0) {
            Drop(Broken(errno));
            return false;
        }
    }
}

bool CGdbConnection::SendAll(const std::string& bytes) {
    size_t done = 0;
    const long long deadline = NowMs() + m_options.replyTimeoutMs;
    while (done < bytes.size()) {
        const ssize_t n =
            send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            m_ackDue = false;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            Drop(Broken(errno));
            return false;
        }
        if (Wait(POLLOUT, deadline) <= 0) {
            Drop("the server stopped taking data", StopRequested());
            return false;
        }
    }
    return true;
}

void CGdbConnection::Resync() {
    // After an answer that did not fit, whatever else the server sends
    // belongs to nothing we asked: it is dropped until the line is quiet, so
    // that the next reply is matched to its own request.
    m_reader.Reset();
    m_inPos = m_inEnd = 0;
    const long long limit = NowMs() + kResyncLimitMs;
    while (IsOpen()) {
        const int ready = Wait(POLLIN, std::min(NowMs() + kQuietMs, limit));
        if (ready < 0) {
            Drop(Broken(errno));
            return;
        }
        if (ready == 0) {
            if (NowMs() >= limit)
                Drop("the server kept sending what nobody asked for");
            return;
        }
        const ssize_t n = recv(m_fd, m_in.data(), m_in.size(), MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            Drop(Broken(n == 0 ? ECONNRESET : errno));
            return;
        }
        if (n > 0)
            Log("gdbremote: " + std::to_string(n) + " bytes after a bad reply were dropped");
    }
}
