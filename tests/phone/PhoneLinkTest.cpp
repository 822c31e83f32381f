#include "PhoneTestSupport.h"

namespace tovallo::testing {
namespace {

std::vector<std::string> Panels(PhoneLink& link) {
    std::vector<std::string> out;
    for (int i = 0; i < StatusPanels::Count; ++i)
        out.push_back(link.panels().text(i));
    return out;
}

TEST(PhoneConnect, IdentifiesTheSamsungPhoneAndDisconnects) {
    ScriptedLink s;
    std::vector<int> changed;
    s.link.panels().onChange = [&](int panel, const std::string&) { changed.push_back(panel); };
    s.scriptConnect();
    s.port.script.front().reply = {{0ms, "ATZ\r\r\nO"}, {2ms, "K\r\n"}}; // OK split over reads
    ASSERT_TRUE(s.link.Connect("/dev/ttyACM0", 230400));
    EXPECT_TRUE(s.link.PhoneConnected());
    EXPECT_EQ(s.port.device, "/dev/ttyACM0");
    EXPECT_EQ(s.port.baud, 230400);
    EXPECT_EQ(s.port.dtrCalls, std::vector<bool>{true});
    EXPECT_EQ(Panels(s.link),
              (std::vector<std::string>{"Model: SGH-X120", "Firmware: X120XEEC1",
                                        "IMEI: 354321000000001", "IMSI: 250011234567890", ""}));
    EXPECT_EQ(changed, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(s.link.identity().firmware, "X120XEEC1");
    EXPECT_TRUE(s.port.unexpected.empty());
    EXPECT_TRUE(s.dialogs.shown.empty());

    const size_t writes = s.port.writes.size();
    EXPECT_TRUE(s.link.Connect("/dev/ttyACM0", 230400)); // already connected: nothing happens
    EXPECT_EQ(s.port.writes.size(), writes);

    s.port.answer("ATZ\r", "");
    s.link.Disconnect();
    EXPECT_FALSE(s.link.PhoneConnected());
    EXPECT_EQ(s.port.writes.back(), "ATZ\r");
    EXPECT_EQ(s.port.dtrCalls, (std::vector<bool>{true, false}));
    EXPECT_FALSE(s.port.isOpen());
    EXPECT_EQ(Panels(s.link), (std::vector<std::string>{"Disconnected", "", "", "", ""}));
    s.link.Disconnect();
    EXPECT_EQ(s.port.writes.size(), writes + 1);
}

TEST(PhoneConnect, RefusedOrMissingValuesStayEmptyAndTheConnectGoesOn) {
    ScriptedLink s;
    s.scriptConnect();
    s.port.script[2].reply = {{0ms, "AT+CGMM\r\r\n+CME ERROR: 3\r\n"}};
    s.port.script[3].reply = {{0ms, "AT+INFO\r" + ScriptedPort::Framed("+INFO: 1,2,3,\"X\"")}};
    ASSERT_TRUE(s.link.Connect("/dev/ttyUSB3", 115200));
    EXPECT_EQ(s.link.panels().text(StatusPanels::Model), "Model: ");
    EXPECT_EQ(s.link.panels().text(StatusPanels::Firmware), "Firmware: ");
    EXPECT_EQ(s.link.panels().text(StatusPanels::Imei), "IMEI: 354321000000001");
    EXPECT_TRUE(s.dialogs.shown.empty());
    EXPECT_EQ(s.log(), "AT+CGMM\rAT+CGMM\r\r\n+CME ERROR: 3\r\n");

    // The firmware follows the 13th comma, without the character after it, up to a quote.
    EXPECT_EQ(FirmwareFromInfo("+INFO: a,b,c,d,e,f,g,h,i,j,k,l,m,\"V1.2\",\"x\""), "V1.2");
    EXPECT_EQ(FirmwareFromInfo("+INFO: 10,20,30,40,50,60,70,80,90,100,110,120,130, D500"), "D500");
    EXPECT_EQ(FirmwareFromInfo("+INFO: 1,2,3,4,5,6,7,8,9,10,11,12,\"FW\""), "");
}

TEST(PhoneConnect, FailuresLeaveThePortClosedWithTheirMessage) {
    {
        ScriptedLink s; // a port that does not open
        s.port.openSucceeds = false;
        EXPECT_FALSE(s.link.Connect("/dev/ttyUSB3", 115200));
        EXPECT_EQ(s.dialogs.numbers(), std::vector<int>{msg::PhoneNotConnected});
        EXPECT_TRUE(s.port.writes.empty());
    }
    {
        ScriptedLink s; // another maker
        s.scriptConnect();
        s.port.script[1].reply = {{0ms, "AT+CGMI\r" + ScriptedPort::Framed("Nokia")}};
        EXPECT_FALSE(s.link.Connect("/dev/ttyUSB3", 115200));
        EXPECT_EQ(s.dialogs.numbers(), std::vector<int>{msg::ModelNotSupported});
        EXPECT_FALSE(s.port.isOpen());
    }
    {
        ScriptedLink s; // silence is no answer, never an empty one
        s.scriptConnect();
        s.port.script[5].reply.clear();
        EXPECT_FALSE(s.link.Connect("/dev/ttyUSB3", 115200));
        EXPECT_EQ(s.dialogs.numbers(), std::vector<int>{msg::PhoneNotConnected});
        EXPECT_FALSE(s.port.isOpen());
        EXPECT_EQ(s.link.panels().text(StatusPanels::Model), "Disconnected");
    }
}

TEST(PhoneConnect, PhoneSwitchedOffFailsAfterNinePassesWithoutLog) {
    ScriptedLink s;
    const auto start = Clock::now();
    EXPECT_FALSE(s.link.Connect("/dev/ttyUSB3", 115200));
    const auto took = Clock::now() - start;
    EXPECT_EQ(s.port.writes, std::vector<std::string>(9, "ATZ\r"));
    EXPECT_EQ(s.dialogs.numbers(), std::vector<int>{msg::PhoneNotConnected});
    EXPECT_GE(took, 9 * 32 * 5ms);
    EXPECT_LT(took, 2500ms);
    EXPECT_FALSE(s.logExists());
}

TEST(PhoneConnect, DtrWithoutModemLinesIsNoFailure) {
    ScriptedLink unsupported;
    unsupported.port.dtrResult = SerialPort::DtrResult::Unsupported;
    unsupported.connect();
    EXPECT_TRUE(unsupported.link.PhoneConnected());

    ScriptedLink failing; // a failing DTR is shown, and the connect goes on
    failing.port.dtrResult = SerialPort::DtrResult::Failed;
    failing.scriptConnect();
    EXPECT_TRUE(failing.link.Connect("/dev/ttyUSB3", 115200));
    EXPECT_EQ(failing.dialogs.numbers(), std::vector<int>{msg::PhoneNotConnected});
}

TEST(PhoneConnect, AfterATimeOutTheDisconnectDoesNotWait) {
    ScriptedLink s(400ms);
    s.connect();
    std::string reply;
    EXPECT_EQ(s.link.channel().AtExchange("AT+IMGW?\r", reply), -1);
    const auto start = Clock::now();
    s.link.Disconnect();
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(s.port.writes.back(), "ATZ\r");
    EXPECT_FALSE(s.port.isOpen());
}

} // namespace
} // namespace tovallo::testing
