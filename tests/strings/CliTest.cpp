#include "StringsTestSupport.h"
#include "fixtures/CliChecks.h"
#include "fixtures/StringFixtures.h"
#include "workspace/HexText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

namespace tovallo {
namespace {

using testing::CliResult;
using testing::ExpectOneLineFailure;
using testing::RunCli;
using testing::SpacedHex;
using testing::StringFirmware;

// A pending change line: ADDR TYPE SIZE HEX.
std::string change(uint32_t addr, const std::string& type, const std::string& bytes) {
    return ToHexAddr(addr) + " " + type + " " + std::to_string(bytes.size()) + " " +
           SpacedHex(bytes) + "\n";
}
std::string link(uint32_t addr, uint32_t value) {
    return change(addr, "Addr&Dim", testing::Le32(value));
}
std::string header(uint32_t start, uint32_t size) {
    return change(start, "Addr&Dim", "zQKV" + testing::Le32(size)) + link(start + 8, 12);
}

// The file from the flash start on (the hole in front of an E720 flash is not read).
std::string flashOf(const std::string& path, uint32_t base) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(base);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StringsCli, FindLanguagesTablesAndFreeBlocksOfEveryModel) {
    testing::ScratchDir dir;
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        StringFirmware fw = testing::BuildStringFirmware(model);
        const std::string path = fw.image.write(dir.file("fw.bin"));
        const std::string m = " --model " + ModelCliName(model);
        const auto run = [&](const std::string& args) { return RunCli(args + " " + path + m); };

        EXPECT_EQ(run("strings find --text abc --all").out,
                  ToHexAddr(fw.abc) + " " + ToHexAddr(fw.abc + 2) + " 3 61 62 63\n" +
                      ToHexAddr(fw.abc + 0x10) + " " + ToHexAddr(fw.abc + 0x12) + " 3 61 62 63\n");
        // The terminal's "АБ" searched as UTF-8, cut by the UTF-8 rule before the 0A.
        const auto json = nlohmann::json::parse(run("strings find --text АБ --utf8 --json").out);
        EXPECT_EQ(json, nlohmann::json::parse(R"([{"start":")" + ToHexAddr(fw.utf8Letters) +
                                              R"(","stop":")" + ToHexAddr(fw.utf8Letters + 3) +
                                              R"(","size":4,"hex":"D0 90 D0 91"}])"));
        EXPECT_EQ(run("strings find --hex 7A7A7A").out, "") << "no match: no lines";

        std::string languages;
        for (const auto& l : fw.languages)
            languages += ToHexAddr(l.entry) + (l.list == LanguageList::Messages ? " 1 " : " 2 ") +
                         ToHexAddr(l.table) + " " + std::to_string(l.count) + "\n";
        EXPECT_EQ(run("strings languages").out, languages);

        const auto& lang = fw.languages[1];
        std::string rows; // slot r leads to string r % 3 of the language
        for (uint32_t r = 1; r < lang.count; ++r)
            rows += ToHexAddr(lang.slotValue[r - 1]) + " " + ToHexAddr(lang.table + 4 * r) + " " +
                    SpacedHex(lang.texts[r % lang.texts.size()]) + "\n";
        EXPECT_EQ(run("strings table --lang 1").out, rows);
        EXPECT_EQ(nlohmann::json::parse(run("strings table --lang 0 --json").out)[0],
                  (nlohmann::json{{"row", 1},
                                  {"offset", ToHexAddr(fw.languages[0].strings[1])},
                                  {"slot", ToHexAddr(fw.languages[0].table + 4)},
                                  {"hex", "CF F0 E8 E2 E5 F2"}}));

        // Only the whole block counts: broken headers and a marker at offset 0 are left out.
        EXPECT_EQ(run("free regions").out, ToHexAddr(fw.freeBlock) + " 512 12 0\n");
        EXPECT_EQ(run("free status").out,
                  "Total Memory: 512 byte In 1 memory Regions. Free Memory: 500 byte.\n");

        // A table whose second word is the free-block marker reads "Deleted" with --deleted.
        fw.image.placeFreeHeader(fw.languages[3].table + 4, 0x100, 12);
        fw.image.write(path);
        const auto deleted = nlohmann::json::parse(run("strings languages --deleted --json").out);
        EXPECT_EQ(deleted[3]["text"], "Deleted");
        EXPECT_EQ(deleted[3]["list"], 2);
        EXPECT_EQ(run("strings languages").out, languages);
    }

    // Refusals: one line, exit 1; usage errors exit 2.
    const StringFirmware fw = testing::BuildStringFirmware(PhoneModel::C200);
    const std::string path = fw.image.write(dir.file("fw.bin"));
    const std::string cut = dir.file("cut.bin");
    testing::WriteWholeFile(cut, fw.image.bytes(0, fw.languages[1].table + 4 * 100 + 2));
    const CliResult truncated = RunCli("strings table --lang 1 " + cut);
    ExpectOneLineFailure(truncated, "runs past the end");
    EXPECT_EQ(std::count(truncated.out.begin(), truncated.out.end(), '\n'), 99);
    EXPECT_EQ(truncated.out.substr(0, 22), ToHexAddr(fw.languages[1].strings[1]) + " " +
                                               ToHexAddr(fw.languages[1].table + 4) + "\n")
        << "a string past the end reads as empty";
    ExpectOneLineFailure(RunCli("strings languages " + path + " --model X120"), "not found");
    ExpectOneLineFailure(RunCli("strings table --lang 5 " + path), "no language 5");
    ExpectOneLineFailure(RunCli("strings find --text \"\" " + path), "empty");
    ExpectOneLineFailure(RunCli("strings find --utf8 --hex " + std::string(80, 'C') + " " + path),
                         "80 bytes");
    ExpectOneLineFailure(RunCli("strings find --text Ω " + path), "U+03A9");
    ExpectOneLineFailure(RunCli("free regions " + dir.file("missing.bin")), "missing.bin");
    for (const std::string& args : {"strings table " + path, "strings find " + path,
                                    "strings table --lang x " + path, "free " + path})
        EXPECT_EQ(RunCli(args).status, 2) << args;
}

TEST(StringsCli, EditDeletesALanguageMovesStringsIntoItAndRefusesWithoutWriting) {
    testing::ScratchDir dir;
    for (PhoneModel model : {PhoneModel::C200, PhoneModel::E720}) {
        SCOPED_TRACE(ModelCliName(model));
        const StringFirmware fw = testing::BuildStringFirmware(model);
        const std::string path = fw.image.write(dir.file("fw.bin"));
        const std::string m = " --model " + ModelCliName(model);
        const auto run = [&](const std::string& args) { return RunCli(args + " " + path + m); };
        const std::string original = flashOf(path, fw.image.base());

        // Strings found by address, and a longer table string without --free-memory, stay in
        // place; --utf8 and --eos apply to every row.
        EXPECT_EQ(run("strings edit --string " + ToHexAddr(fw.abc) + "=xyz --string " +
                      ToHexAddr(fw.utf8Letters) + "=ВГД --utf8 --eos --table-string 3:1=Backward")
                      .out,
                  change(fw.abc, "String", std::string("xyz\0", 4)) +
                      change(fw.utf8Letters, "String", testing::HexBytes("D0 92 D0 93 D0 94 00")) +
                      change(fw.languages[3].strings[1], "String", std::string("Backward\0", 9)));

        // Delete language 1 and move a longer string of language 0 into its slot block.
        const auto& l1 = fw.languages[1];
        const uint32_t slots = l1.table + 4, t0 = fw.languages[0].table;
        const std::string edit =
            "strings edit --delete-language 1 --table-string 0:2=Okay! --free-memory";
        const std::string changes = change(slots + 12, "String", std::string("Okay!\0", 6)) +
                                    header(slots, 1012 * 4) + header(l1.lo(), l1.hi() - l1.lo()) +
                                    link(l1.entry, t0) + link(t0 + 8, slots + 12) +
                                    link(slots + 8, 18);
        CliResult r = run(edit);
        EXPECT_EQ(r.out, changes);
        EXPECT_EQ(r.err, "");
        const auto json = nlohmann::json::parse(run(edit + " --json").out);
        EXPECT_EQ(json["changes"].size(), 8u);
        EXPECT_EQ(json["regions"][0],
                  (nlohmann::json{
                      {"start", ToHexAddr(slots)}, {"size", 4048}, {"used", 18}, {"reserved", 0}}));
        EXPECT_EQ(json["status"],
                  "Total Memory: 4062 byte In 2 memory Regions. Free Memory: 4032 byte.");
        EXPECT_EQ(flashOf(path, fw.image.base()), original) << "nothing written without --write";

        // Refusals write nothing even with --write.
        const struct {
            std::string args, words;
        } refusals[] = {
            {"--delete-language 5", "no language 5"},
            {"--delete-language 3 --delete-language 4", "No other language"},
            {"--table-string 0:1010=x --table-string 0:1011=x", "no row 1011"},
            {"--table-string 3:1=" + std::string(20, 'x') + " --free-memory", "Not enough free"},
            {"--string " + ToHexAddr(fw.abc) + "=x --string " + ToHexAddr(fw.abc) + "=y",
             "already is in the table"},
            {"--string " + ToHexAddr(fw.image.end()) + "=x", "beyond the end"},
            {"--string " + ToHexAddr(fw.abc + 3) + "=x", "No string starts"},
            {"--string " + ToHexAddr(fw.abc) + "=Ω", "U+03A9"},
        };
        for (const auto& refusal : refusals) {
            SCOPED_TRACE(refusal.args);
            ExpectOneLineFailure(run("strings edit --write " + refusal.args), refusal.words);
            EXPECT_EQ(flashOf(path, fw.image.base()), original);
        }
        for (const char* args : {"", "--table-string 1=x", "--string zz=x"})
            EXPECT_EQ(run(std::string("strings edit ") + args).status, 2) << args;

        // Written, the blocks read back with their used counts and the next move lands after them.
        r = run(edit + " --write");
        EXPECT_EQ(r.out, changes + "wrote 8 change(s) (42 bytes) into " + path + "\n") << r.err;
        EXPECT_EQ(run("free regions").out, ToHexAddr(slots) + " 4048 18 0\n" + ToHexAddr(l1.lo()) +
                                               " 14 12 0\n" + ToHexAddr(fw.freeBlock) +
                                               " 512 12 0\n");
        const auto moved = nlohmann::json::parse(run("strings table --lang 0 --json").out)[1];
        EXPECT_EQ(moved["offset"], ToHexAddr(slots + 12));
        EXPECT_EQ(moved["hex"], "4F 6B 61 79 21");
        const auto next = nlohmann::json::parse(
            run("strings edit --find-free --table-string 0:7=Hello! --free-memory --json").out);
        EXPECT_EQ(next["changes"][0]["addr"], ToHexAddr(slots + 18));
        EXPECT_EQ(next["regions"].size(), 3u);
    }
}

} // namespace
} // namespace tovallo
