#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovallo {

// The one serial line to a phone: opened with fixed line settings (8N1, raw, no flow control),
// DTR raised and dropped, bytes written and read. Reads never wait long, so the caller polls and
// keeps the window alive between reads.
class SerialPort {
  public:
    enum class DtrResult {
        Done,
        Unsupported, // the line has no modem control (a pseudo terminal, a bare adapter)
        Failed,
    };

    static constexpr size_t MaxRead = 2048;

    virtual ~SerialPort() = default;

    // Opens `device` at `baud` (closing whatever was open first) and discards anything queued.
    virtual bool OpenPort(const std::string& device, int baud) = 0;
    virtual bool isOpen() const = 0;
    // Nothing happens (Done) while no port is open.
    virtual DtrResult SetDtr(bool on) = 0;
    // Sends the bytes; returns how many went out.
    virtual size_t WritePort(std::string_view bytes) = 0;
    // Waits at most 5 ms for data; `text` becomes what arrived (at most MaxRead bytes, empty when
    // nothing did). A failed read is a read of nothing.
    virtual size_t ReadPort(std::string& text) = 0;
    virtual void ClosePort() = 0;
};

// A serial device through termios. The port is held exclusively (flock and TIOCEXCL), so a
// second program, or a second object, cannot open it while it is open.
class TermiosPort : public SerialPort {
  public:
    TermiosPort() = default;
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;
    ~TermiosPort() override;

    bool OpenPort(const std::string& device, int baud) override;
    bool isOpen() const override { return fd_ >= 0; }
    DtrResult SetDtr(bool on) override;
    size_t WritePort(std::string_view bytes) override;
    size_t ReadPort(std::string& text) override;
    void ClosePort() override;

    // Why the last OpenPort failed (the system's words), empty after a success.
    const std::string& openError() const { return openError_; }

  private:
    bool failOpen(const char* step);

    int fd_ = -1;
    bool exclusive_ = false;
    int baud_ = 0;
    std::string openError_;
};

// Whether `baud` is one of the rates the phone link offers (57600, 115200, 230400, 460800).
bool IsPhoneBaudRate(int baud);

} // namespace tovallo
