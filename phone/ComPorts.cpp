#include "phone/ComPorts.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace tovallo {

namespace {

constexpr int ReadWaitMs = 5;

speed_t SpeedOf(int baud) {
    switch (baud) {
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    default:
        return B0;
    }
}

} // namespace

bool IsPhoneBaudRate(int baud) {
    return SpeedOf(baud) != B0;
}

TermiosPort::~TermiosPort() {
    ClosePort();
}

bool TermiosPort::failOpen(const char* step) {
    openError_ = std::string(step) + ": " + std::strerror(errno);
    ClosePort();
    return false;
}

bool TermiosPort::OpenPort(const std::string& device, int baud) {
    ClosePort();
    openError_.clear();
    const speed_t speed = SpeedOf(baud);
    if (speed == B0) {
        errno = EINVAL;
        return failOpen("baud rate");
    }
    // Non-blocking, so that neither the open (waiting for carrier) nor a read can hang.
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return failOpen("open");
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        return failOpen("lock");
    if (::ioctl(fd_, TIOCEXCL) != 0)
        return failOpen("exclusive");
    exclusive_ = true;

    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0)
        return failOpen("line settings");
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0)
        return failOpen("line settings");
    ::tcflush(fd_, TCIOFLUSH);
    baud_ = baud;
    return true;
}

SerialPort::DtrResult TermiosPort::SetDtr(bool on) {
    if (fd_ < 0)
        return DtrResult::Done;
    int bits = TIOCM_DTR;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0)
        return DtrResult::Done;
    return errno == ENOTTY || errno == EINVAL ? DtrResult::Unsupported : DtrResult::Failed;
}

size_t TermiosPort::WritePort(std::string_view bytes) {
    if (fd_ < 0)
        return 0;
    // Ten bit times a byte, twice over, plus a second: a line that takes longer is stuck.
    const auto limit = std::chrono::milliseconds(1000 + bytes.size() * 20000 / baud_);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return done;
}

size_t TermiosPort::ReadPort(std::string& text) {
    text.clear();
    if (fd_ < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ReadWaitMs));
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ReadWaitMs) > 0 && (p.revents & POLLIN)) {
        char buffer[MaxRead];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            text.assign(buffer, static_cast<size_t>(n));
            return text.size();
        }
    }
    // A hung-up line answers poll at once; still wait out the 5 ms so callers do not spin.
    std::this_thread::sleep_until(start + std::chrono::milliseconds(ReadWaitMs));
    return 0;
}

void TermiosPort::ClosePort() {
    if (fd_ < 0)
        return;
    // The exclusive mark belongs to the terminal, not to this descriptor: drop it only when it is
    // ours, so that a failed open never frees a port another program holds.
    if (exclusive_)
        ::ioctl(fd_, TIOCNXCL);
    exclusive_ = false;
    ::close(fd_);
    fd_ = -1;
}

} // namespace tovallo
