#pragma once
// QEMU's Arm "virt" machine, halted (-S), without monitor, serial port or
// network, its gdbstub on a listening socket this process made on a loopback
// port the system picked: whoever connects to that port reaches this QEMU
// and nothing else. port stays 0 when QEMU could not be started.

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

namespace zxtest {

class QemuVirt {
public:
    QemuVirt() {
        const int fd = socket(AF_INET, SOCK_STREAM, 0); // inherited by QEMU
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), length) != 0 || listen(fd, 1) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
            close(fd);
            return;
        }
        char chardev[96];
        std::snprintf(chardev, sizeof chardev, "socket,id=gdb0,fd=%d,server=on,wait=off,nodelay=on",
                      fd);
        // clang-format off
        const char* argv[] = {"qemu-system-arm", "-M", "virt", "-nodefaults", "-nographic",
                              "-nic", "none", "-monitor", "none", "-serial", "none", "-S",
                              "-chardev", chardev, "-gdb", "chardev:gdb0", nullptr};
        // clang-format on
        if (posix_spawnp(&m_pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) == 0)
            port = ntohs(a.sin_port);
        close(fd);
    }
    ~QemuVirt() { Kill(); }
    void Kill() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
    }
    std::string Settings(const std::string& more = "") const {
        return "Host=127.0.0.1;Port=" + std::to_string(port) + ";" + more;
    }
    unsigned port = 0;

private:
    pid_t m_pid = -1;
};

} // namespace zxtest
