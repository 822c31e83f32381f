#include "phone/PhoneSimulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tovallo {

namespace {

using namespace std::chrono_literals;

constexpr auto BlockQuiet = 20ms;     // a data block ends after this much quiet
constexpr auto AbandonQuiet = 1000ms; // a write that stops coming is given up
constexpr auto LongestWait = 50ms;
constexpr size_t LongestLine = 4096;

} // namespace

PhoneSimulator::PhoneSimulator(SimulatorOptions options) : phone_(std::move(options)) {}

PhoneSimulator::~PhoneSimulator() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

std::unique_ptr<PhoneSimulator> PhoneSimulator::Create(SimulatorOptions options,
                                                       std::string& error) {
    std::unique_ptr<PhoneSimulator> sim(new PhoneSimulator(std::move(options)));
    auto fail = [&](const char* step) {
        error = std::string(step) + ": " + std::strerror(errno);
        return nullptr;
    };
    sim->master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (sim->master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(sim->master_) != 0 || ::unlockpt(sim->master_) != 0)
        return fail("unlockpt");
    const char* name = ::ptsname(sim->master_);
    if (!name)
        return fail("ptsname");
    sim->devicePath_ = name;
    // Held open so that the line never hangs up between connections; never read.
    sim->slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (sim->slave_ < 0)
        return fail("open");
    // Raw bytes both ways even for a program that does not set the line up itself.
    termios tio{};
    if (::tcgetattr(sim->slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(sim->slave_, TCSANOW, &tio);
    }
    ::fcntl(sim->master_, F_SETFL, ::fcntl(sim->master_, F_GETFL) | O_NONBLOCK);
    return sim;
}

void PhoneSimulator::run(const std::atomic<bool>& stop) {
    char buffer[4096];
    while (!stop.load()) {
        sendDue(Clock::now());
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, waitMs(Clock::now())) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                feed(buffer, static_cast<size_t>(n), Clock::now());
        }
        const auto now = Clock::now();
        if (phone_.takingData() && !block_.empty() && now - lastInput_ >= BlockQuiet) {
            schedule(phone_.onBlock(block_), now);
            block_.clear();
        } else if (phone_.takingData() && block_.empty() && now - lastInput_ >= AbandonQuiet) {
            phone_.abandonData();
        }
    }
}

int PhoneSimulator::waitMs(Clock::time_point now) const {
    auto until = now + LongestWait;
    if (!pending_.empty())
        until = std::min(until, pending_.front().due);
    if (phone_.takingData())
        until = std::min(until, lastInput_ + (block_.empty() ? AbandonQuiet : BlockQuiet));
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    return static_cast<int>(std::max<long long>(ms, 0));
}

// Command lines end at CR (a LF is ignored); once a command has started a write, the bytes that
// follow are data.
void PhoneSimulator::feed(const char* data, size_t count, Clock::time_point now) {
    lastInput_ = now;
    for (size_t i = 0; i < count; ++i) {
        if (phone_.takingData()) {
            block_.append(data + i, count - i);
            return;
        }
        const char c = data[i];
        if (c == '\r') {
            schedule(phone_.onCommand(line_), now);
            line_.clear();
        } else if (c != '\n' && line_.size() < LongestLine) {
            line_ += c;
        }
    }
}

void PhoneSimulator::schedule(const PhoneReply& reply, Clock::time_point now) {
    auto at = pending_.empty() ? now : std::max(now, pending_.back().due);
    for (const ReplyPiece& piece : reply) {
        at += piece.pause;
        pending_.push_back({at, piece.bytes});
    }
}

// Sends what is due. What the other side does not take (nobody reading) is dropped.
void PhoneSimulator::sendDue(Clock::time_point now) {
    while (!pending_.empty() && pending_.front().due <= now) {
        const std::string& bytes = pending_.front().bytes;
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        pending_.pop_front();
    }
}

} // namespace tovallo
