#pragma once
// CGdbConnection: one TCP connection to a GDB server (QEMU's gdbstub,
// OpenOCD, a J-Link GDB server, pyOCD) and the memory accesses over it.
//
// Open connects, learns the server's packet size and features (qSupported),
// leaves acknowledgements behind where the server offers it
// (QStartNoAckMode), switches QEMU to physical addresses where offered
// (Qqemu.PhyMemMode) so that peripherals are reached, and asks for the stop
// state ('?'): from then on the target is halted until Close detaches ('D'),
// which lets it run again.
//
// Read and Write split an access into packets that fit the server's packet
// size with the frame counted ("$", "#" and the two checksum digits), keep
// several of them in flight, and use binary 'X' writes where the server takes
// them. A damaged reply is asked for again ('-') or the packet sent again; an
// "E NN" reply fails the access; a reply that does not fit its request fails
// it too, and what else arrives is discarded until the line is quiet. A
// server that closes the connection or stays silent for the reply time-out
// drops the link: every later access fails at once until Open is called
// again.
//
// Used by one thread at a time. Plain C++ and POSIX.

#include "GdbPacketReader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CGdbConnection {
public:
    enum class Result {
        Ok,
        TargetError, // the server answered "E NN": TargetErrorCode() holds NN
        Protocol,    // an answer that does not fit the request; Error() says how
        LinkDown,    // no connection, or it was lost; Error() says why
    };

    struct Options {
        std::string host = "127.0.0.1";
        unsigned port = 1234;
        unsigned connectTimeoutMs = 2000;
        unsigned replyTimeoutMs = 3000;
        unsigned packetsInFlight = 8;
        bool physicalMemory = true;
    };

    // stopRequested is asked while waiting for the server: once it holds, no
    // new packet goes out, what is in flight is still collected for a short
    // while, and the access fails. log receives diagnostic lines.
    CGdbConnection(std::function<bool()> stopRequested,
                   std::function<void(const std::string&)> log);
    ~CGdbConnection();
    CGdbConnection(const CGdbConnection&) = delete;
    CGdbConnection& operator=(const CGdbConnection&) = delete;

    bool Open(const Options& options);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    Result Read(std::uint64_t address, std::uint8_t* out, size_t size);
    Result Write(std::uint64_t address, const std::uint8_t* data, size_t size);

    // Why the last operation failed, in words.
    const std::string& Error() const { return m_error; }
    int TargetErrorCode() const { return m_targetError; }
    // Whether the last failure came from stopRequested rather than the server.
    bool Stopped() const { return m_stopped; }

    // What Open learned.
    size_t PacketSize() const { return m_packetSize; }
    bool NoAckMode() const { return m_noAck; }
    bool PhysicalMemory() const { return m_physical; }
    // Data bytes of the largest read and of the largest hexadecimal write.
    size_t ReadChunk() const;
    size_t WriteChunk(std::uint64_t address, size_t size) const;

private:
    using Event = CGdbPacketReader::Event;

    bool Connect();
    Result Command(const std::string& payload, std::string& reply);
    bool ProbeBinary(std::uint64_t address);
    template <class Make, class Take> Result Transact(size_t count, Make&& make, Take&& take);
    bool Receive(Event& event);
    bool SendAll(const std::string& bytes);
    bool StopRequested();
    int Wait(short events, long long deadlineMs);
    void Resync();
    void Drop(const std::string& why, bool stopped = false);
    Result Fail(Result result, const std::string& why);
    void Log(const std::string& line) const;

    std::function<bool()> m_stopRequested;
    std::function<void(const std::string&)> m_log;
    Options m_options;
    int m_fd = -1;
    CGdbPacketReader m_reader;
    std::vector<char> m_in;
    size_t m_inPos = 0, m_inEnd = 0;
    bool m_ackDue = false; // bytes came in that TCP has not acknowledged yet
    std::string m_out;
    size_t m_packetSize = 0;
    bool m_noAck = false;
    bool m_physical = false;
    int m_binary = -1; // X packets: unknown until the first write asks
    std::string m_error;
    int m_targetError = 0;
    bool m_stopped = false;
    long long m_stopSeenAt = -1; // when stopRequested first held
    bool m_closing = false;
    bool m_expectStop = false; // a stop reply is the answer, not news
    size_t m_garbage = 0;
};
