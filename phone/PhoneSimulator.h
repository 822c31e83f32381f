#pragma once

#include "phone/SimulatedPhone.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <string>

namespace tovallo {

// A simulated phone on a pseudo terminal: programs open devicePath() as they would a serial
// port. The simulator keeps the terminal's other side open itself, so it outlives any number of
// connections.
class PhoneSimulator {
  public:
    // Nothing, with the system's reason in `error`, when no pseudo terminal can be had.
    static std::unique_ptr<PhoneSimulator> Create(SimulatorOptions options, std::string& error);
    PhoneSimulator(const PhoneSimulator&) = delete;
    PhoneSimulator& operator=(const PhoneSimulator&) = delete;
    ~PhoneSimulator();

    const std::string& devicePath() const { return devicePath_; }

    // Plays the phone until `stop` is set (looked at every 50 ms at least).
    void run(const std::atomic<bool>& stop);

    // The phone's files; read them only while run() is not running.
    const SimulatedPhone& phone() const { return phone_; }

  private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        std::string bytes;
    };

    explicit PhoneSimulator(SimulatorOptions options);
    void feed(const char* data, size_t count, Clock::time_point now);
    void schedule(const PhoneReply& reply, Clock::time_point now);
    void sendDue(Clock::time_point now);
    int waitMs(Clock::time_point now) const;

    SimulatedPhone phone_;
    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
    std::string line_;
    std::string block_;
    Clock::time_point lastInput_{};
    std::deque<Pending> pending_;
};

} // namespace tovallo
