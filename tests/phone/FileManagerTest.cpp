#include "PhoneTestSupport.h"

namespace tovallo::testing {
namespace {

const std::string Prompt = "\r\n>";
const std::string Ok = "\r\nOK\r\n";

struct Manager : ScriptedLink {
    PhoneFileManager files{link};
    ScratchDir pc; // the computer's files

    Manager() { connect(); }

    std::string file(const std::string& name, const std::string& bytes) {
        WriteWholeFile(pc.file(name), bytes);
        return pc.file(name);
    }
    void scriptPictureList() {
        port.answer("AT+IMGW?\r", "+IMGW: 3,20,1000,5000,128");
        port.answer("AT+IMGR?\r", "+IMGR: 3,20");
        port.answer("AT+IMGR=0\r", "+IMGR: 0,\"logo\",1234,2");
        port.expect("AT+IMGR=1\r", {{0ms, "AT+IMGR=1\r\r\n+CME ERROR:-1\r\n"}});
        port.answer("AT+IMGR=2\r", "+IMGR: 2,\"\xD0\x9B\xD0\xBE\xD0\xB3\",77,11");
        port.answer("AT+IMGR=3\r", "+IMGR: 3,\"BOOK\",5,2");
    }
    // The write command gets the prompt.
    void prompt(const std::string& command) { port.expect(command, {{0ms, command + Prompt}}); }
    void reply(const std::string& bytes, const std::string& text) {
        port.expect(bytes, {{0ms, text}});
    }
};

TEST(PhoneListing, AsksEverySlotUpToTheCountAndCachesTheList) {
    Manager m;
    m.scriptPictureList();
    ASSERT_TRUE(m.files.List(PhoneFolder::Pictures));
    EXPECT_TRUE(m.port.unexpected.empty());
    EXPECT_EQ(m.port.writes.size(), 6u); // two queries, slots 0 to 3
    const auto& list = m.files.files(PhoneFolder::Pictures);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (PhoneFile{"logo", 1234, 0}));
    EXPECT_EQ(list[1].shownName(), "\xCB\xEE\xE3"); // Лог in Windows-1251
    EXPECT_EQ(list[1].Size, 77u);
    EXPECT_EQ(list[2], (PhoneFile{"BOOK", 5, 3}));
    EXPECT_EQ(m.link.panels().text(StatusPanels::Memory), "Memory: 1000 / 5000");
    EXPECT_EQ(m.files.memInfo().blockSize(), 128u);
    EXPECT_EQ(m.progress.maximum, 4);
    EXPECT_EQ(m.progress.pos, 4);
    EXPECT_EQ(m.files.SizeText(list[0]), "Size: 1234");
    EXPECT_EQ(m.files.IndexText(list[2]), "Index: 3");

    m.port.writes.clear();
    EXPECT_TRUE(m.files.List(PhoneFolder::Pictures)); // from the cache
    EXPECT_TRUE(m.port.writes.empty());
    m.scriptPictureList();
    EXPECT_TRUE(m.files.Refresh(PhoneFolder::Pictures));
    EXPECT_EQ(m.port.writes.size(), 6u);
}

TEST(PhoneListing, SoundsTakeTheRestOfTheReplyAsSizeAndAnUnreachableCountIsNoList) {
    Manager m;
    m.port.answer("AT+MELW?\r", "+MELW: 1,10,x,900,256");
    m.port.answer("AT+MELR?\r", "+MELR: 1,10");
    m.port.answer("AT+MELR=0\r", "+MELR: 0,\"ring_1\",300");
    m.port.answer("AT+MELR=1\r", "+MELR: 1,\"big\",many");
    ASSERT_TRUE(m.files.List(PhoneFolder::Sounds));
    EXPECT_EQ(m.files.files(PhoneFolder::Sounds),
              (std::vector<PhoneFile>{{"ring_1", 300, 0}, {"big", 0, 1}}));
    EXPECT_EQ(m.link.panels().text(StatusPanels::Memory), "Memory: 0 / 900");

    // A count no slot number can reach: no slot is asked.
    m.port.writes.clear();
    m.port.answer("AT+IMGW?\r", "+IMGW: 3,20,1000,5000,128");
    m.port.answer("AT+IMGR?\r", "+IMGR: 70000,20");
    EXPECT_FALSE(m.files.List(PhoneFolder::Pictures));
    EXPECT_EQ(m.dialogs.numbers(), std::vector<int>{msg::FileListError});
    EXPECT_EQ(m.port.writes.size(), 2u);
}

TEST(PhoneSending, SendsTheCommandThenTheBlocksAndCountsOnlyAnsweredFiles) {
    Manager m;
    std::string ring;
    for (int i = 0; i < 300; ++i)
        ring += static_cast<char>(i * 7);
    m.prompt("AT+MELW=0,\"ring\",4,300,3758141947\r"); // CRC-32 as zlib computes it
    m.reply(ring.substr(0, 128), Prompt);
    m.reply(ring.substr(128, 128), Prompt);
    m.reply(ring.substr(256), Ok);
    // The CRC field is unsigned decimal; no OK to the last block, so a CR asks for it.
    m.prompt("AT+MELW=0,\"check\",4,9,3421780262\r");
    m.reply("123456789", Prompt);
    m.reply("\r", "\r" + Ok);
    // A file of no bytes: size and CRC 0, no blocks, then the CR.
    m.prompt("AT+MELW=0,\"empty\",4,0,0\r");
    m.reply("\r", "\r" + Ok);

    const std::vector<std::string> paths{m.file("ring.mmf", ring), m.pc.path().string(),
                                         m.file("check.mmf", "123456789"), m.file("tune.mid", "x"),
                                         m.file("empty.MMF", "")};
    const SendResult result = m.files.Send(PhoneFolder::Sounds, paths, 128u);
    EXPECT_TRUE(m.port.unexpected.empty());
    EXPECT_TRUE(m.port.script.empty());
    EXPECT_TRUE(result.completed);
    ASSERT_EQ(result.sent.size(), 3u);
    EXPECT_EQ(result.sent[0].phoneName, "ring");
    EXPECT_EQ(result.sent[1].crc, 3421780262u);
    EXPECT_EQ(result.sent[2].size, 0u);
    ASSERT_EQ(result.skipped.size(), 2u);
    EXPECT_EQ(result.skipped[0].reason, SkipReason::NotAFile);
    EXPECT_EQ(result.skipped[1].reason, SkipReason::WrongType);
    EXPECT_EQ(m.link.panels().text(StatusPanels::Memory), "Loading file: empty.MMF");
    EXPECT_TRUE(m.dialogs.shown.empty());
}

TEST(PhoneSending, PictureTypesAndNamesThePhoneCanTake) {
    EXPECT_EQ(PhoneFileType(PhoneFolder::Pictures, "PIC.GIF"), 2);
    EXPECT_EQ(PhoneFileType(PhoneFolder::Pictures, "a.b.jpg"), 11);
    EXPECT_FALSE(PhoneFileType(PhoneFolder::Pictures, "logo.jpeg"));
    EXPECT_FALSE(PhoneFileType(PhoneFolder::Pictures, "ring.mmf"));
    EXPECT_FALSE(PhoneFileType(PhoneFolder::Sounds, "mmf"));

    // Through Windows-1251 into the phone's alphabet; Ё has no place there.
    EXPECT_EQ(PhoneNameOf("\xD0\x9B\xD0\xBE\xD0\xB3\xD0\xBE.gif"),
              "\xD0\x9B\xD0\xBE\xD0\xB3\xD0\xBE");
    EXPECT_EQ(PhoneNameOf("\xD0\x81.gif"), "`");
    // Refused: a quote, a control character, no name, no Windows-1251 form, no UTF-8.
    for (const char* bad : {"a\"b.gif", "a\tb.gif", ".gif", "\xE4\xB8\xAD.gif", "\xFF\xFE.gif"})
        EXPECT_FALSE(PhoneNameOf(bad)) << bad;

    Manager m;
    m.prompt("AT+IMGW=0,\"PIC\",2,0,0,0,0,100,1,2363233923\r");
    m.reply("x", Ok);
    const SendResult result = m.files.Send(PhoneFolder::Pictures,
                                           {m.file("a\"b.gif", "x"), m.file("PIC.GIF", "x")}, 256u);
    EXPECT_TRUE(m.port.unexpected.empty());
    ASSERT_EQ(result.sent.size(), 1u);
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_EQ(result.skipped[0].reason, SkipReason::BadName);
}

TEST(PhoneSending, NoDataGoesOutWithoutThePrompt) {
    for (const std::string& answer : {std::string("\r\nOK\r\n"), std::string()}) {
        Manager m;
        m.port.expect("AT+MELW=0,\"a\",4,1,2363233923\r", {{0ms, answer}});
        const SendResult result =
            m.files.Send(PhoneFolder::Sounds, {m.file("a.mmf", "x"), m.file("b.mmf", "x")}, 128u);
        EXPECT_EQ(m.port.writes.size(), 1u);
        EXPECT_TRUE(result.sent.empty());
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(m.dialogs.numbers(), std::vector<int>{msg::FileLoadingError});
    }
}

TEST(PhoneSending, CrcErrorOrNoOkAfterTheDataIsNoSuccess) {
    struct Case {
        std::vector<ScriptedPort::Piece> lastBlock;
        std::vector<ScriptedPort::Piece> afterCr;
        size_t writes; // the command, two blocks and maybe a CR
        std::string log;
    };
    const std::string data(200, 'd');
    const std::vector<Case> cases{
        {{{0ms, "\r\nCRCERR\r\n"}}, {}, 3, data.substr(100) + "\r\nCRCERR\r\n"},
        {{{0ms, Prompt}}, {{0ms, "\r\r\nCRCERR\r\n"}}, 4, "\r\r\r\nCRCERR\r\n"},
        {{{0ms, Prompt}}, {}, 4, ""},
    };
    for (const Case& c : cases) {
        Manager m;
        m.prompt("AT+MELW=0,\"a\",4,200,1412941710\r");
        m.reply(data.substr(0, 100), Prompt);
        m.port.expect(data.substr(100), c.lastBlock);
        m.port.expect("\r", c.afterCr);
        const SendResult result =
            m.files.Send(PhoneFolder::Sounds, {m.file("a.mmf", data), m.file("b.mmf", "x")}, 100u);
        EXPECT_TRUE(result.sent.empty());
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(m.dialogs.numbers(), std::vector<int>{msg::FileLoadingError});
        EXPECT_EQ(m.port.writes.size(), c.writes);
        EXPECT_EQ(m.log(), c.log);
    }
}

TEST(PhoneSending, RefusedFilesAreSkippedButBrokenTransfersEndEverything) {
    Manager m;
    m.port.expect("AT+MELW=0,\"full\",4,1,2363233923\r",
                  {{0ms, "AT+MELW=0,\"full\",4,1,2363233923\r\r\n+CME ERROR: NOMEMORY\r\n"}});
    m.prompt("AT+MELW=0,\"mid\",4,3,891568578\r");
    m.reply("a", Prompt);
    m.port.expect("b", {{0ms, "\r\n@#%&"}}); // garbage, then silence
    const SendResult result =
        m.files.Send(PhoneFolder::Sounds,
                     {m.file("full.mmf", "x"), m.file("mid.mmf", "abc"), m.file("z.mmf", "z")}, 1u);
    EXPECT_TRUE(m.port.unexpected.empty());
    EXPECT_EQ(m.port.writes.size(), 4u); // z.mmf is not tried
    EXPECT_EQ(m.dialogs.numbers(), (std::vector<int>{msg::NoPhoneMemory, msg::FileLoadingError}));
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_EQ(result.skipped[0].reason, SkipReason::RefusedByPhone);
    EXPECT_FALSE(result.completed);
}

TEST(PhoneSending, AutoBlockSizeComesFromTheLastMemoryReply) {
    Manager m;
    const std::string path = m.file("a.mmf", "abc");
    EXPECT_FALSE(m.files.Send(PhoneFolder::Sounds, {path}, std::nullopt).completed);
    EXPECT_EQ(m.dialogs.numbers(), std::vector<int>{msg::FileLoadingError});
    EXPECT_TRUE(m.port.writes.empty());

    m.port.answer("AT+MELW?\r", "+MELW: 0,10,900,900,2");
    ASSERT_TRUE(m.files.QueryMemory(PhoneFolder::Sounds));
    m.prompt("AT+MELW=0,\"a\",4,3,891568578\r");
    m.reply("ab", Prompt);
    m.reply("c", Ok);
    // Auto Refresh lists the folder again after a sending that ran to its end.
    m.files.setAutoRefresh(true);
    m.port.answer("AT+MELW?\r", "+MELW: 1,10,897,900,2");
    m.port.answer("AT+MELR?\r", "+MELR: 0,10");
    m.port.answer("AT+MELR=0\r", "+MELR: 0,\"a\",3");
    const SendResult result = m.files.Send(PhoneFolder::Sounds, {path}, std::nullopt);
    EXPECT_TRUE(m.port.unexpected.empty());
    EXPECT_TRUE(m.port.script.empty());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(m.files.files(PhoneFolder::Sounds), (std::vector<PhoneFile>{{"a", 3, 0}}));
    EXPECT_EQ(m.link.panels().text(StatusPanels::Memory), "Memory: 897 / 900");
}

TEST(PhoneDeleting, DeletesInOrderAfterYes) {
    Manager m;
    const std::vector<PhoneFile> chosen{{"a", 1, 5}, {"b", 2, 9}};
    EXPECT_FALSE(m.files.Delete(PhoneFolder::Pictures, chosen).confirmed);
    EXPECT_EQ(m.dialogs.numbers(), std::vector<int>{msg::DeleteFiles});
    EXPECT_TRUE(m.port.writes.empty());

    m.dialogs.answers = {true};
    m.prompt("AT+IMGW=5,\"\",11,0,0,0,0,100,1,0\r");
    m.reply("o", "\r\nCRCERR\r\n");
    m.prompt("AT+IMGW=9,\"\",11,0,0,0,0,100,1,0\r");
    m.reply("o", Ok); // no CRCERR: the byte goes once more
    m.reply("o", "\r\nCRCERR\r\n");
    const DeleteResult result = m.files.Delete(PhoneFolder::Pictures, chosen);
    EXPECT_TRUE(m.port.unexpected.empty());
    EXPECT_TRUE(m.port.script.empty());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.deleted, chosen);
    EXPECT_EQ(m.progress.maximum, 2);
    EXPECT_EQ(m.progress.pos, 2);
    EXPECT_EQ(m.log(), "o\r\nCRCERR\r\no\r\nCRCERR\r\n");
}

TEST(PhoneDeleting, SilenceGetsNoRetryAndEndsTheDeletion) {
    Manager m;
    m.dialogs.answers = {true};
    m.prompt("AT+MELW=3,\"\",4,1,0\r");
    m.port.expect("o", {});
    const auto start = Clock::now();
    const DeleteResult result = m.files.Delete(PhoneFolder::Sounds, {{"a", 1, 3}, {"b", 1, 4}});
    EXPECT_LT(Clock::now() - start, 150ms + 1s);
    EXPECT_EQ(m.port.writes.size(), 2u);
    EXPECT_TRUE(result.deleted.empty());
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(m.dialogs.numbers(), (std::vector<int>{msg::DeleteFiles, msg::FileLoadingError}));
}

} // namespace
} // namespace tovallo::testing
