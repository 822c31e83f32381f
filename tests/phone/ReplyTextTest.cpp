#include "PhoneTestSupport.h"

#include "phone/PhoneSettings.h"
#include "phone/ReplyText.h"

namespace tovallo::testing {
namespace {

TEST(ReplyText, CleanReplyAndErrorMarkersLeaveQuotedNamesAlone) {
    for (auto [raw, clean] : std::vector<std::pair<std::string, std::string>>{
             {"\r\nSGH-X120\r\n\r\nOK\r\n", "SGH-X120"},
             {"\r\n+IMGR: 2,\"BOOK\",1200,2\r\n\r\nOK\r\n", "+IMGR: 2,\"BOOK\",1200,2"},
             {"NOKIA OK", "NIA "}}) {
        CleanReply(raw);
        EXPECT_EQ(raw, clean);
    }
    // Error markers count only outside quotes.
    EXPECT_FALSE(ReplyError("+IMGR: 1,\"ERROR:X\",10,2\r\n"));
    EXPECT_EQ(FindOutsideQuotes("+MELR: 3,\"TERRA\",77\r\n", "ERR"), std::string::npos);
    EXPECT_EQ(FindOutsideQuotes("\"a\"ERR\"ERR\"", "ERR"), 3u);

    std::string text;
    ASSERT_TRUE(ReplyError("AT+X\r\r\n+CME ERROR: 100\r\n", &text));
    EXPECT_EQ(text, " 100");
}

TEST(ReplyText, CheckReplyErrorChoosesTheMessage) {
    ScriptedDialogs dialogs;
    EXPECT_FALSE(CheckReplyError(dialogs, NoOwnMessage, "\r\n+IMGW: 1,\"TERRA\"\r\nOK\r\n"));
    EXPECT_TRUE(dialogs.shown.empty());

    EXPECT_TRUE(CheckReplyError(dialogs, msg::FileListError, "\r\n+CME ERROR: 5\r\n"));
    EXPECT_TRUE(CheckReplyError(dialogs, NoOwnMessage, "\r\n+CME ERROR: NOMEMORY\r\n"));
    EXPECT_TRUE(CheckReplyError(dialogs, NoOwnMessage, "\r\n+CME ERROR: 21\r\nOK"));
    ASSERT_EQ(dialogs.numbers(),
              (std::vector<int>{msg::FileListError, msg::NoPhoneMemory, msg::AtCommandError}));
    EXPECT_EQ(dialogs.shown[2].kind, 'w');
    EXPECT_EQ(dialogs.shown[2].text, " 21");
}

TEST(ReplyText, ParseDecimalTakesWholeNumbersThatFit) {
    EXPECT_EQ(ParseDecimal(" 4294967295 "), 4294967295u);
    EXPECT_FALSE(ParseDecimal("4294967296"));
    EXPECT_FALSE(ParseDecimal("12a"));
    EXPECT_FALSE(ParseDecimal("-1"));
    EXPECT_FALSE(ParseDecimal(""));
}

TEST(PhoneSettings, PortsSectionMapsComPortsAndIsNeverWritten) {
    ScratchDir dir;
    const std::string ini = dir.file("Mardek.ini");
    const std::string text = "[Main]\r\nPhoneCOMPort=COM21\r\nPhoneBaudRate=B460800\r\n"
                             "PhoneTimeOut=ms4000\r\n[Ports]\r\nCOM4=/dev/ttyACM0\r\n";
    WriteWholeFile(ini, text);

    EXPECT_EQ(PortDevice(ini, 4), "/dev/ttyACM0");
    EXPECT_EQ(PortDevice(ini, 1), "/dev/ttyUSB0");
    EXPECT_EQ(PortDevice(ini, 10), "/dev/ttyUSB9");
    EXPECT_EQ(PortDevice(dir.file("missing.ini"), 4), "/dev/ttyUSB3");

    const PhoneLinkSettings s = ReadPhoneLinkSettings(ini);
    EXPECT_EQ(s.PhonePort, 2);
    EXPECT_EQ(s.PhoneBaud, 460800);
    EXPECT_EQ(s.PhoneTimeOut, 4000ms);
    EXPECT_EQ(ReadWholeFile(ini), text);

    WriteWholeFile(ini, "[Main]\r\nPhoneCOMPort=COM111\r\nPhoneBaudRate=B9600\r\n"
                        "PhoneTimeOut=ms1200\r\n");
    const PhoneLinkSettings defaults = ReadPhoneLinkSettings(ini);
    EXPECT_EQ(defaults.PhonePort, 4);
    EXPECT_EQ(defaults.PhoneBaud, 115200);
    EXPECT_EQ(defaults.PhoneTimeOut, 1500ms);
}

TEST(PhoneSettings, MenuItemNamesRoundTrip) {
    for (int port = 1; port <= PhonePortCount; ++port)
        EXPECT_EQ(PortFromMenuItem(PortMenuItem(port)), port);
    EXPECT_EQ(PortMenuItem(10), "COM101");
    EXPECT_EQ(BaudFromMenuItem("B57600"), 57600);
    EXPECT_EQ(TimeOutFromMenuItem("ms1000"), 1000);
    EXPECT_FALSE(PortFromMenuItem("COM1"));
    EXPECT_FALSE(PortFromMenuItem("COM01"));
    EXPECT_FALSE(TimeOutFromMenuItem("ms"));
}

} // namespace
} // namespace tovallo::testing
