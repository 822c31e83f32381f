#include "PhoneTestSupport.h"

namespace tovallo::testing {
namespace {

TEST(AtExchange, EndsAtTheTerminatorOkOrErrorLineAndDropsTheEcho) {
    ScriptedLink s;
    AtChannel& at = s.link.channel();
    std::string reply;
    const std::string write = "AT+MELW=0,\"ring\",4,300,1\r";
    s.port.expect(write, {{0ms, write + "\r\n>"}, {20ms, "\r\nOK\r\n"}});
    EXPECT_EQ(at.AtExchange(write, reply, DataPrompt), 3);
    EXPECT_EQ(reply, "\r\n>");
    EXPECT_EQ(s.port.takePending(), "\r\nOK\r\n"); // not waited for

    // "_" is no terminator: a name holding it does not end the reply.
    s.port.expect("AT+MELR=1\r",
                  {{0ms, "AT+MELR=1\r\r\n+MELR: 1,\"ring_1\",300"}, {30ms, "\r\n\r\nOK\r\n"}});
    EXPECT_GT(at.AtExchange("AT+MELR=1\r", reply, NoTerminator), 0);
    EXPECT_EQ(reply, "\r\n+MELR: 1,\"ring_1\",300\r\n\r\nOK\r\n");

    // A quoted name holding ERR and OK is no end and no error.
    s.port.expect("AT+MELR=3\r",
                  {{0ms, "AT+MELR=3\r\r\n+MELR: 3,\"TERRA OK\",77\r\n"}, {30ms, "\r\nOK\r\n"}});
    EXPECT_GT(at.AtExchange("AT+MELR=3\r", reply), 0);
    EXPECT_EQ(reply, "\r\n+MELR: 3,\"TERRA OK\",77\r\n\r\nOK\r\n");
    EXPECT_FALSE(s.logExists());
    EXPECT_GT(s.progress.pumps, 0);

    // An error line ends the reply at once; it is logged with its command, an empty slot not.
    s.port.expect("AT+IMGR?\r", {{0ms, "AT+IMGR?\r\r\n+CME ERROR: 100\r\n"}, {300ms, "OK\r\n"}});
    const auto start = Clock::now();
    EXPECT_GT(at.AtExchange("AT+IMGR?\r", reply), 0);
    EXPECT_LT(Clock::now() - start, 200ms);
    EXPECT_EQ(reply, "\r\n+CME ERROR: 100\r\n");
    EXPECT_EQ(s.port.takePending(), "OK\r\n");
    s.port.expect("AT+IMGR=4\r", {{0ms, "AT+IMGR=4\r\r\n+CME ERROR:-1\r\n"}});
    s.port.expect("o", {{0ms, "\r\nCRCERR\r\n"}});
    at.AtExchange("AT+IMGR=4\r", reply);
    EXPECT_EQ(at.AtExchange("o", reply, CrcErrorEnd), 10);
    EXPECT_EQ(s.log(), "AT+IMGR?\rAT+IMGR?\r\r\n+CME ERROR: 100\r\no\r\nCRCERR\r\n");
}

TEST(AtExchange, TimeOutLimitsEachPauseNotTheWholeReply) {
    ScriptedLink s;
    AtChannel& at = s.link.channel();
    std::string reply;
    // Four pieces 100 ms apart: 400 ms in all against a time-out of 150 ms.
    s.port.expect(
        "AT+CGMM\r",
        {{100ms, "AT+CGMM\r"}, {100ms, "\r\nSGH-"}, {100ms, "E720\r\n"}, {100ms, "\r\nOK\r\n"}});
    EXPECT_GT(at.AtExchange("AT+CGMM\r", reply), 0);
    EXPECT_EQ(reply, "\r\nSGH-E720\r\n\r\nOK\r\n");
    EXPECT_FALSE(at.lastTimedOut());

    // One pause longer than the time-out ends it with what came so far.
    s.port.expect("AT+CGSN\r", {{0ms, "AT+CGSN\r\r\n35"}, {400ms, "4321\r\n\r\nOK\r\n"}});
    auto start = Clock::now();
    EXPECT_EQ(at.AtExchange("AT+CGSN\r", reply), -1);
    EXPECT_EQ(reply, "\r\n35");
    EXPECT_TRUE(at.lastTimedOut());
    EXPECT_LT(Clock::now() - start, 300ms);
    s.port.takePending();

    // Silence.
    start = Clock::now();
    EXPECT_EQ(at.AtExchange("AT+CIMI\r", reply), -1);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 300ms);
    EXPECT_EQ(reply, "");
    EXPECT_FALSE(s.logExists());

    // Babble past 4 KiB counts as a time-out, however lively.
    at.setTimeOut(2000ms);
    s.port.expect("AT+CGMI\r", std::vector<ScriptedPort::Piece>(20, {5ms, std::string(300, 'x')}));
    start = Clock::now();
    EXPECT_EQ(at.AtExchange("AT+CGMI\r", reply), -1);
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_GT(reply.size(), MaxReplySize);
    EXPECT_LE(reply.size(), MaxReplySize + 300);
}

} // namespace
} // namespace tovallo::testing
