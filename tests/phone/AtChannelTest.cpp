#include "PhoneTestSupport.h"

#include "phone/AtChannel.h"

#include <filesystem>

namespace tovallo::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct Channel {
    ScratchDir dir;
    ScriptedPort port;
    RecordingProgress progress;
    AtChannel at{port, progress, dir.file("fw.log")};

    Channel() { at.setTimeOut(150ms); }
    std::string log() const { return ReadWholeFile(dir.file("fw.log")); }
    bool logExists() const { return std::filesystem::exists(dir.file("fw.log")); }
};

TEST(AtExchange, EndsAtTheTerminatorOkOrErrorLineAndDropsTheEcho) {
    Channel c;
    std::string reply;
    const std::string write = "AT+MELW=0,\"ring\",4,300,1\r";
    c.port.expect(write, {{0ms, write + "\r\n>"}, {20ms, "\r\nOK\r\n"}});
    EXPECT_EQ(c.at.AtExchange(write, reply, DataPrompt), 3);
    EXPECT_EQ(reply, "\r\n>");
    EXPECT_EQ(c.port.takePending(), "\r\nOK\r\n"); // not waited for

    // "_" is no terminator: a name holding it does not end the reply.
    c.port.expect("AT+MELR=1\r",
                  {{0ms, "AT+MELR=1\r\r\n+MELR: 1,\"ring_1\",300"}, {30ms, "\r\n\r\nOK\r\n"}});
    EXPECT_GT(c.at.AtExchange("AT+MELR=1\r", reply, NoTerminator), 0);
    EXPECT_EQ(reply, "\r\n+MELR: 1,\"ring_1\",300\r\n\r\nOK\r\n");

    // A quoted name holding ERR and OK is no end and no error.
    c.port.expect("AT+MELR=3\r",
                  {{0ms, "AT+MELR=3\r\r\n+MELR: 3,\"TERRA OK\",77\r\n"}, {30ms, "\r\nOK\r\n"}});
    EXPECT_GT(c.at.AtExchange("AT+MELR=3\r", reply), 0);
    EXPECT_EQ(reply, "\r\n+MELR: 3,\"TERRA OK\",77\r\n\r\nOK\r\n");
    EXPECT_FALSE(c.logExists());
    EXPECT_GT(c.progress.pumps, 0);
}

TEST(AtExchange, LogsErrorRepliesWithTheirCommandButNotEmptySlots) {
    Channel c;
    std::string reply;
    c.port.expect("AT+IMGR?\r", {{0ms, "AT+IMGR?\r\r\n+CME ERROR: 100\r\n"}, {300ms, "OK\r\n"}});
    const auto start = Clock::now();
    EXPECT_GT(c.at.AtExchange("AT+IMGR?\r", reply), 0);
    EXPECT_LT(Clock::now() - start, 200ms); // the error line ends it; nothing more is awaited
    EXPECT_EQ(reply, "\r\n+CME ERROR: 100\r\n");
    EXPECT_EQ(c.port.takePending(), "OK\r\n");

    c.port.expect("AT+IMGR=4\r", {{0ms, "AT+IMGR=4\r\r\n+CME ERROR:-1\r\n"}});
    c.port.expect("o", {{0ms, "\r\nCRCERR\r\n"}});
    c.at.AtExchange("AT+IMGR=4\r", reply);
    EXPECT_EQ(c.at.AtExchange("o", reply, CrcErrorEnd), 10);
    EXPECT_EQ(c.log(), "AT+IMGR?\rAT+IMGR?\r\r\n+CME ERROR: 100\r\n"
                       "o\r\nCRCERR\r\n");
}

TEST(AtExchange, TimeOutLimitsEachPauseNotTheWholeReply) {
    Channel c;
    std::string reply;
    // Four pieces 100 ms apart: 400 ms in all against a time-out of 150 ms.
    c.port.expect(
        "AT+CGMM\r",
        {{100ms, "AT+CGMM\r"}, {100ms, "\r\nSGH-"}, {100ms, "E720\r\n"}, {100ms, "\r\nOK\r\n"}});
    EXPECT_GT(c.at.AtExchange("AT+CGMM\r", reply), 0);
    EXPECT_EQ(reply, "\r\nSGH-E720\r\n\r\nOK\r\n");
    EXPECT_FALSE(c.at.lastTimedOut());

    // One pause longer than the time-out ends it with what came so far.
    c.port.expect("AT+CGSN\r", {{0ms, "AT+CGSN\r\r\n35"}, {400ms, "4321\r\n\r\nOK\r\n"}});
    auto start = Clock::now();
    EXPECT_EQ(c.at.AtExchange("AT+CGSN\r", reply), -1);
    EXPECT_EQ(reply, "\r\n35");
    EXPECT_TRUE(c.at.lastTimedOut());
    EXPECT_LT(Clock::now() - start, 300ms);
    c.port.takePending();

    // Silence.
    start = Clock::now();
    EXPECT_EQ(c.at.AtExchange("AT+CIMI\r", reply), -1);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 300ms);
    EXPECT_EQ(reply, "");
    EXPECT_FALSE(c.logExists());
}

TEST(AtExchange, BabbleOverFourKilobytesCountsAsTimeOut) {
    Channel c;
    c.at.setTimeOut(2000ms);
    std::vector<ScriptedPort::Piece> babble(20, {5ms, std::string(300, 'x')});
    c.port.expect("AT+CGMI\r", babble);
    std::string reply;
    const auto start = Clock::now();
    EXPECT_EQ(c.at.AtExchange("AT+CGMI\r", reply), -1);
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_GT(reply.size(), MaxReplySize);
    EXPECT_LE(reply.size(), MaxReplySize + 300);
}

} // namespace
} // namespace tovallo::testing
