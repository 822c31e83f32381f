#include "PhoneTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace tovallo::testing {
namespace {

// A pseudo terminal whose other side the test plays by hand.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            path_ = ptsname(master_);
    }
    ~PseudoTerminal() {
        if (master_ >= 0)
            close(master_);
    }
    const std::string& path() const { return path_; }
    void send(const std::string& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string receive() {
        std::string out;
        char buffer[256];
        pollfd p{master_, POLLIN, 0};
        while (poll(&p, 1, 100) > 0) {
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, static_cast<size_t>(n));
        }
        return out;
    }

  private:
    int master_ = -1;
    std::string path_;
};

TEST(TermiosPort, OpensRawAndExclusivelyAndPassesBytesBothWays) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.path().empty());
    TermiosPort port;
    ASSERT_TRUE(port.OpenPort(pty.path(), 115200)) << port.openError();

    TermiosPort second;
    EXPECT_FALSE(second.OpenPort(pty.path(), 115200));
    EXPECT_FALSE(second.isOpen());

    // Raw both ways: CR and LF arrive as they were sent.
    EXPECT_EQ(port.WritePort("AT\r\n\x11\x13"), 6u);
    EXPECT_EQ(pty.receive(), "AT\r\n\x11\x13");
    pty.send("\r\nOK\r\n");
    std::string text, got;
    const auto deadline = Clock::now() + 1s;
    while (got.size() < 6 && Clock::now() < deadline)
        if (port.ReadPort(text) > 0)
            got += text;
    EXPECT_EQ(got, "\r\nOK\r\n");

    const auto start = Clock::now();
    EXPECT_EQ(port.ReadPort(text), 0u);
    EXPECT_EQ(text, "");
    EXPECT_LT(Clock::now() - start, 50ms);

    // A pseudo terminal has no modem lines: DTR is unsupported, which is no failure.
    EXPECT_EQ(port.SetDtr(true), SerialPort::DtrResult::Unsupported);

    // A second open of the same object closes the first; a closed port frees the device.
    EXPECT_TRUE(port.OpenPort(pty.path(), 460800));
    port.ClosePort();
    EXPECT_EQ(port.SetDtr(true), SerialPort::DtrResult::Done);
    EXPECT_TRUE(second.OpenPort(pty.path(), 57600)) << second.openError();
}

TEST(TermiosPort, RefusesWhatIsNoSerialLine) {
    ScratchDir dir;
    WriteWholeFile(dir.file("plain"), "x");
    TermiosPort port;
    EXPECT_FALSE(port.OpenPort(dir.file("missing"), 115200));
    EXPECT_FALSE(port.OpenPort(dir.file("plain"), 115200));
    EXPECT_FALSE(port.isOpen());
    PseudoTerminal pty;
    EXPECT_FALSE(port.OpenPort(pty.path(), 9600));
    EXPECT_EQ(port.WritePort("AT\r"), 0u);
}

} // namespace
} // namespace tovallo::testing
