#pragma once
// A GDB server of our own, in the test process, on a loopback port the
// system picked: memory of its own, QEMU's limits (a read of more than half
// the packet size is refused, a packet whose frame exceeds the packet size
// is dropped unanswered), and faults injected on request. Its parser is its
// own, so that it does not share the link's mistakes.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace zxtest {

class GdbTestServer {
public:
    struct Faults {
        int dropAt = -1;           // the connection closes on memory packet n (0-based)
        int silentAt = -1;         // from memory packet n on, nothing is answered
        int badChecksumAt = -1;    // the reply to memory packet n is damaged, once
        uint32_t errorAddress = 1; // accesses that touch this address get "E0e"
        bool longerReplies = false;
        bool garbage = false;   // noise before every reply
        bool runLength = false; // replies run-length encoded
    };

    GdbTestServer(uint32_t base, size_t bytes, size_t packetSize, bool noAck, bool binary)
        : memory(bytes), m_base(base), m_packetSize(packetSize), m_offerNoAck(noAck),
          m_binary(binary) {
        m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        bind(m_listen, reinterpret_cast<sockaddr*>(&a), length);
        listen(m_listen, 4);
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &length);
        port = ntohs(a.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~GdbTestServer() {
        m_quit = true;
        m_thread.join();
        close(m_listen);
    }

    void SetFaults(const Faults& f) {
        std::lock_guard lock(mutex);
        m_faults = f;
        memoryPackets = 0;
    }

    unsigned port = 0;
    std::mutex mutex; // guards everything below while the server runs
    std::vector<uint8_t> memory;
    int memoryPackets = 0, connections = 0, detaches = 0, naksReceived = 0;
    size_t largestFrame = 0, largestRead = 0, mostInFlight = 0;
    std::string kinds; // the first letter of each memory packet

private:
    void Run() {
        while (!m_quit) {
            pollfd p{m_listen, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            {
                std::lock_guard lock(mutex);
                ++connections;
            }
            Serve(fd);
            close(fd);
        }
    }

    void Send(int fd, const std::string& s) { send(fd, s.data(), s.size(), MSG_NOSIGNAL); }
    static unsigned Sum(const std::string& data) {
        return std::accumulate(data.begin(), data.end(), 0u,
                               [](unsigned sum, char c) { return sum + uint8_t(c); }) &
               0xFF;
    }
    static std::string Hex(const uint8_t* b, size_t n) {
        std::string s(2 * n, '\0');
        for (size_t i = 0; i < n; ++i) // each ends in the zero the string already holds
            std::snprintf(&s[2 * i], 3, "%02x", b[i]);
        return s;
    }
    std::string Frame(std::string data, bool damage) {
        if (m_faults.runLength) { // runs of 4 to 9 equal characters become "c*n"
            std::string rle;
            for (size_t i = 0; i < data.size();) {
                size_t n = 1;
                while (i + n < data.size() && data[i + n] == data[i] && n < 10)
                    ++n;
                if (n >= 4 && n != 7 && n != 8)
                    rle += std::string(1, data[i]) + '*' + char(n - 1 + 29);
                else
                    rle += data.substr(i, n);
                i += n;
            }
            data = rle;
        }
        char tail[4];
        std::snprintf(tail, 4, "#%02x", (Sum(data) + (damage ? 1 : 0)) & 0xFF);
        return (m_faults.garbage ? "\r\n\x01junk" : "") + ("$" + data + tail);
    }

    void Serve(int fd) {
        std::string in, last;
        bool noAck = false, silent = false;
        char buffer[65536];
        while (!m_quit) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            in.append(buffer, size_t(n));
            { // packets that came before any of them was answered
                std::lock_guard lock(mutex);
                mostInFlight =
                    std::max<size_t>(mostInFlight, std::count(in.begin(), in.end(), '#'));
            }
            for (;;) {
                while (!in.empty() && in[0] != '$') { // acknowledgements and noise
                    if (in[0] == '-' && !noAck) {
                        std::lock_guard lock(mutex);
                        ++naksReceived;
                        Send(fd, last);
                    }
                    in.erase(0, 1);
                }
                const size_t hash = in.find('#');
                if (hash == std::string::npos || in.size() < hash + 3)
                    break;
                const std::string frame = in.substr(0, hash + 3), data = in.substr(1, hash - 1);
                in.erase(0, hash + 3);
                std::lock_guard lock(mutex);
                largestFrame = std::max(largestFrame, frame.size());
                if (silent || frame.size() > m_packetSize)
                    continue; // as QEMU drops what overruns its buffer
                if (std::strtoul(frame.substr(hash + 1).c_str(), nullptr, 16) != Sum(data)) {
                    if (!noAck)
                        Send(fd, "-");
                    continue;
                }
                if (!noAck)
                    Send(fd, "+");
                bool damage = false;
                const bool isMemory = data[0] == 'm' || data[0] == 'M' || data[0] == 'X';
                if (isMemory) {
                    const int k = memoryPackets++;
                    kinds += data[0];
                    if (k == m_faults.dropAt)
                        return;
                    if (k == m_faults.silentAt) {
                        silent = true;
                        continue;
                    }
                    damage = k == m_faults.badChecksumAt;
                }
                std::string reply = Answer(data, noAck, fd);
                if (reply == "\x04")
                    return; // detached
                last = Frame(reply, false);
                Send(fd, damage ? Frame(reply, true) : last);
            }
        }
    }

    std::string Answer(const std::string& d, bool& noAck, int fd) {
        unsigned long address = 0, length = 0;
        const char* colon = std::strchr(d.c_str(), ':');
        if (d == "qSupported") {
            char size[20];
            std::snprintf(size, sizeof size, "%zx", m_packetSize);
            return std::string("PacketSize=") + size + (m_offerNoAck ? ";QStartNoAckMode+" : "");
        }
        if (d == "QStartNoAckMode" && m_offerNoAck) {
            noAck = true;
            return "OK";
        }
        if (d == "qqemu.Supported")
            return "sstepbits;sstep;PhyMemMode";
        if (d == "Qqemu.PhyMemMode:1")
            return "OK";
        if (d == "?")
            return "T05thread:01;";
        if (d == "D") {
            ++detaches;
            Send(fd, Frame("OK", false));
            return "\x04";
        }
        if (std::sscanf(d.c_str() + 1, "%lx,%lx", &address, &length) != 2)
            return "";
        if (d[0] == 'X' && !m_binary)
            return "";
        const bool fits = address >= m_base && address + length <= m_base + memory.size();
        if (!fits || (m_faults.errorAddress - address < length))
            return "E0e";
        uint8_t* at = memory.data() + (address - m_base);
        if (d[0] == 'm') {
            largestRead = std::max<size_t>(largestRead, length);
            if (length > m_packetSize / 2)
                return "E22";
            return Hex(at, length) + (m_faults.longerReplies ? "0000" : "");
        }
        std::string bytes;
        for (size_t i = size_t(colon - d.c_str()) + 1; i < d.size(); ++i) {
            if (d[0] == 'M')
                bytes += char(std::strtoul(d.substr(i++, 2).c_str(), nullptr, 16));
            else
                bytes += d[i] == '}' && i + 1 < d.size() ? char(d[++i] ^ 0x20) : d[i];
        }
        if (bytes.size() != length)
            return "E16";
        std::memcpy(at, bytes.data(), length);
        return "OK";
    }

    int m_listen = -1;
    uint32_t m_base;
    size_t m_packetSize;
    bool m_offerNoAck, m_binary;
    Faults m_faults;
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

} // namespace zxtest
