#include "workspace/FirmwareSearch.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/LiteralScans.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/ByteSearch.h"
#include "workspace/MultiPatternSearch.h"
#include "workspace/Workspace.h"

#include <gtest/gtest.h>

using namespace tovallo;
using namespace tovallo::testing;

namespace tovallo {
void PrintTo(const AnyMatch& m, std::ostream* os) {
    *os << "(" << m.Offset << ", " << m.Index << ")";
}
} // namespace tovallo

namespace {

class SearchTest : public ::testing::Test {
  protected:
    void open(const FirmwareBuilder& fw) {
        ScriptedDialogs dialogs;
        ASSERT_TRUE(ws.OpenFirmware(fw.write(dir.file("fw.bin")), dialogs));
        ws.pumpInterval = std::chrono::milliseconds(0);
    }
    // Every match from the beginning, as find-next would step through them.
    std::vector<int64_t> all(const std::string& pattern) {
        std::vector<int64_t> out;
        for (int64_t at = FindInFirmware(ws, pattern, true, bar); at >= 0;
             at = FindInFirmware(ws, pattern, false, bar))
            out.push_back(at);
        return out;
    }
    ScratchDir dir;
    Workspace ws;
    RecordingProgress bar;
};

} // namespace

TEST_F(SearchTest, OverlappingMatchesResumeOnTheLastByteAndFindNextSeesWrites) {
    open(FirmwareBuilder(16, 0).place(5, "AAA"));
    EXPECT_EQ(FindInFirmware(ws, "AA", true, bar), 5);
    EXPECT_EQ(ws.SearchPos, 6u);
    EXPECT_EQ(FindInFirmware(ws, "AA", false, bar), 6);
    EXPECT_EQ(FindInFirmware(ws, "AA", false, bar), -1);
    EXPECT_EQ(ws.SearchPos, 0u);
    EXPECT_EQ(bar.pos, 0);

    // A match at offset 0 is a result, not a failure; one-byte patterns move on.
    open(FirmwareBuilder(16, 0).place(0, "AxA"));
    EXPECT_EQ(all("A"), (std::vector<int64_t>{0, 2}));
    EXPECT_EQ(all(""), std::vector<int64_t>{}) << "an empty pattern never matches";
    // A new search from the start finds the one-byte match at offset 0 again.
    EXPECT_EQ(FindInFirmware(ws, "A", true, bar), 0);
    EXPECT_EQ(FindInFirmware(ws, "A", true, bar), 0);
    EXPECT_EQ(FindInFirmware(ws, "A", false, bar), 2);

    // Find-next sees bytes written since the last read, and another firmware opened meanwhile.
    open(FirmwareBuilder(20000, 0).place(100, "NEEDLE").place(9000, "NEEDLE"));
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", true, bar), 100);
    ASSERT_TRUE(ws.WriteAt(2000, "NEEDLE"));
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", false, bar), 2000);
    ASSERT_TRUE(ws.WriteAt(9000, "------"));
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", false, bar), -1);
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", true, bar), 100);
    open(FirmwareBuilder(20000, 0).place(300, "NEEDLE"));
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", false, bar), 300);
}

TEST_F(SearchTest, FindsMatchesAcrossBlocksAndChunksWithTheSearchLimits) {
    FirmwareBuilder fw(3 << 20, 0x11);
    const std::string sig64(64, 'Q');
    fw.place(4094, "SIG!");          // straddles the first block boundary
    fw.place((1 << 20) - 2, "SIG!"); // straddles a read chunk
    fw.place(2 * (1 << 20) + 100, sig64);
    fw.place(static_cast<uint32_t>(fw.size() - 4), "SIG!"); // ends on the last byte
    open(fw);
    EXPECT_EQ(all("SIG!"), (std::vector<int64_t>{4094, (1 << 20) - 2, int64_t(fw.size()) - 4}));
    EXPECT_EQ(all(sig64), (std::vector<int64_t>{2 * (1 << 20) + 100}));
    EXPECT_EQ(bar.maximum, int(fw.size() / 4096 + 1));

    ws.SearchPos = 1234;
    EXPECT_EQ(FindInFirmware(ws, sig64 + "Q", false, bar), -1) << "65 bytes are refused";
    EXPECT_EQ(ws.SearchPos, 1234u) << "a refused pattern leaves the resume point alone";

    ws.SearchPos = 4095; // a match may not start before the resume point
    EXPECT_EQ(FindInFirmware(ws, "SIG!", false, bar), (1 << 20) - 2);
    ws.SearchPos = static_cast<uint32_t>(fw.size() - 1);
    EXPECT_EQ(FindInFirmware(ws, "S", false, bar), -1);
    EXPECT_EQ(ws.SearchPos, 0u);

    // The last byte is examined only when no block of the scan starts on it: resuming at 5903
    // makes 9999 a block start, although the first scan had read that byte.
    open(FirmwareBuilder(10000, 0).place(5903, "Z").place(9999, "Z"));
    EXPECT_EQ(all("Z"), std::vector<int64_t>{5903});
    ws.SearchPos = 5904;
    EXPECT_EQ(FindInFirmware(ws, "Z", false, bar), 9999);
}

// Needles of 1-64 bytes after near misses of every length around the 32-byte steps, with and
// without their last byte; the two bytes compared first agree every other position in `runs`.
TEST(ByteSearcher, AgreesWithAPlainSearch) {
    const auto find = [](const std::string& needle, const std::string& hay) {
        const auto* data = reinterpret_cast<const uint8_t*>(hay.data());
        const uint8_t* hit = ByteSearcher(needle).find(data, hay.size());
        return hit ? static_cast<size_t>(hit - data) : std::string::npos;
    };
    for (size_t len : {1, 2, 3, 31, 32, 33, 64}) {
        const std::string needle = std::string(len - 1, 'a') + 'b';
        for (size_t size = 0; size < 100; ++size) {
            std::string hay;
            for (size_t i = 0; i < size; ++i)
                hay += i % 5 ? 'a' : 'b';
            hay += needle;
            ASSERT_EQ(find(needle, hay), hay.find(needle)) << len << " after " << size;
            hay.pop_back();
            ASSERT_EQ(find(needle, hay), hay.find(needle)) << len << " after " << size;
        }
    }
    std::string runs;
    for (int i = 0; i < 50000; ++i)
        runs += "ab";
    EXPECT_EQ(find("axab", runs + "axab"), runs.size());
    EXPECT_EQ(find("abxb", runs), std::string::npos);
    EXPECT_EQ(find("", runs), std::string::npos);
}

TEST_F(SearchTest, StopEndsTheScanAfterTheCurrentBlock) {
    FirmwareBuilder fw(64 * 4096, 0);
    fw.place(100, "NEEDLE");
    fw.place(5 * 4096, "NEEDLE");
    open(fw);
    ws.SearchStop = true; // pressed while no search ran: the next search stops after one block
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", true, bar), 100) << "a match in the first block counts";
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", false, bar), -1);
    EXPECT_FALSE(ws.SearchStop);
    EXPECT_EQ(ws.SearchPos, 0u);
    EXPECT_EQ(bar.pos, 0);

    // Stop pressed while the window is pumped.
    FirmwareBuilder big(4 << 20, 0);
    big.place((4 << 20) - 10, "NEEDLE");
    open(big);
    bar.onPump = [this] { ws.SearchStop = true; };
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", true, bar), -1);
    EXPECT_GE(bar.pumps, 1);
    EXPECT_FALSE(ws.SearchStop);
    bar.onPump = nullptr;
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", true, bar), (4 << 20) - 10);

    // A pending Stop still lets the whole first block be searched when the bytes read for the
    // previous match end a few bytes after it.
    FirmwareBuilder edge(600 << 10, 0);
    const int64_t readEnd = 256 << 10; // what the first search read
    edge.place(100, "NEEDLE").place(readEnd - 50, "NEEDLE").place(readEnd + 1000, "NEEDLE");
    open(edge);
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", true, bar), 100);
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", false, bar), readEnd - 50);
    ws.SearchStop = true;
    EXPECT_EQ(FindInFirmware(ws, "NEEDLE", false, bar), readEnd + 1000);
    EXPECT_TRUE(ws.SearchStop);
}

TEST_F(SearchTest, LinksAreFoundAtEveryPositionUpToTheLimit) {
    EXPECT_EQ(FindInFirmware(ws, "A", true, bar), -1) << "nothing is searched without a firmware";
    FirmwareBuilder fw(300000, 0);
    const uint32_t value = 0x0003F304;
    const std::vector<uint32_t> at = {0, 123, 250 - 2, 1048, 300000 - 4};
    for (uint32_t a : at)
        fw.placeU32(a, value);
    open(fw);
    EXPECT_EQ(FindLinks(ws, value, bar, LinkResultsCapacity, 0), at);
    EXPECT_EQ(bar.maximum, 300000 / 125 + 1);
    EXPECT_EQ(FindLinks(ws, value, bar, 2, 0), (std::vector<uint32_t>{0, 123}));
    EXPECT_EQ(FindLinks(ws, value, bar, 100, 124), (std::vector<uint32_t>{248, 1048, 299996}));
    EXPECT_TRUE(FindLinks(ws, value, bar, 100, 400000).empty());

    // Overlapping values: 00 00 00 00 00 holds the value 0 at two positions.
    open(FirmwareBuilder(5, 0));
    EXPECT_EQ(FindLinks(ws, 0, bar, 100, 0), (std::vector<uint32_t>{0, 1}));

    // Values that begin with the bytes of empty flash, at the first and last positions.
    FirmwareBuilder flash(1000, 0xFF);
    flash.placeU32(0, 0x03F300FF).placeU32(996, 0x03F300FF).placeU32(500, 0x0003F300);
    open(flash);
    // At 499 the filler byte and the value placed at 500 form the same four bytes.
    EXPECT_EQ(FindLinks(ws, 0x03F300FF, bar, 100, 0), (std::vector<uint32_t>{0, 499, 996}));
    EXPECT_EQ(FindLinks(ws, 0x0003F300, bar, 100, 0), (std::vector<uint32_t>{500}));

    // Nothing lies beyond the flash start of a firmware smaller than it.
    ws.SelectModel(PhoneModel::E720);
    ws.SearchPos = ws.profile.FlashStart();
    EXPECT_EQ(FindInFirmware(ws, "\xFF", false, bar), -1);
    EXPECT_TRUE(FindLinks(ws, 0x03F300FF, bar, 10, ws.profile.FlashStart()).empty());
}

TEST_F(SearchTest, FindAnyGivesTheLowestOffsetThenTheLowestIndex) {
    const uint32_t read = FindAnyReadSize;
    FirmwareBuilder fw(3 * read, 0x11);
    fw.place(1000, "LONGPATTERN").place(4094, "Mid!");
    fw.place(read - 3, "Edge").place(2 * read + 7 - 9, "LONGPATTERN"); // straddle two reads
    fw.place(static_cast<uint32_t>(fw.size() - 2), "zz");              // in the last bytes
    open(fw);
    const std::vector<std::string> p = {"LONGPATTERN", "LONG", "Mid!", "Edge", "zz"};
    const auto at = [&](uint32_t start) { return FindAnyInFirmware(ws, p, start, bar); };
    // At one offset the lowest index wins, at the start offset too.
    EXPECT_EQ(at(0), (AnyMatch{1000, 0}));
    EXPECT_EQ(at(1000), (AnyMatch{1000, 0}));
    EXPECT_EQ(FindAnyInFirmware(ws, {"LONG", "LONGPATTERN"}, 1000, bar), (AnyMatch{1000, 0}));
    EXPECT_EQ(at(1001), (AnyMatch{4094, 2})) << "no match starts before the start";
    EXPECT_EQ(at(4095), (AnyMatch{read - 3, 3}));
    EXPECT_EQ(at(read), (AnyMatch{2 * read - 2, 0}));
    // A short pattern in the last bytes, past the reach of the longest one.
    EXPECT_EQ(at(2 * read), (AnyMatch{int64_t(fw.size()) - 2, 4}));
    EXPECT_EQ(bar.maximum, int(fw.size() / 4096 + 1));
    EXPECT_GT(bar.pos, 0) << "the bar stays where the match was found";
    EXPECT_EQ(at(static_cast<uint32_t>(fw.size()) - 1), AnyMatch{});
    EXPECT_EQ(bar.pos, 0);

    // Data made of a pattern's own bytes, and the match on the last possible start.
    std::string runs;
    for (int i = 0; i < 50000; ++i)
        runs += "ab";
    open(FirmwareBuilder(runs.size() + 4).place(0, runs + "abba"));
    EXPECT_EQ(FindAnyInFirmware(ws, {"abba", "bb"}, 0, bar), (AnyMatch{100000, 0}));

    // Emptied patterns are left out; one longer than 64 bytes refuses the search.
    open(fw);
    EXPECT_EQ(FindAnyInFirmware(ws, {"", "Mid!", ""}, 0, bar), (AnyMatch{4094, 1}));
    EXPECT_EQ(FindAnyInFirmware(ws, {"", ""}, 0, bar), AnyMatch{});
    EXPECT_EQ(FindAnyInFirmware(ws, {"Mid!", std::string(64, 'x')}, 0, bar), (AnyMatch{4094, 0}));
    EXPECT_EQ(FindAnyInFirmware(ws, {"Mid!", std::string(65, 'x')}, 0, bar), AnyMatch{});
    Workspace closed;
    EXPECT_EQ(FindAnyInFirmware(closed, {"Mid!"}, 0, bar), AnyMatch{});
}

// Two byte values give near matches everywhere; the patterns straddle a block, a read and lie in
// the last bytes.
TEST_F(SearchTest, FindAnyAgreesWithTheByteLoop) {
    std::string data =
        FirmwareBuilder(2 * FindAnyReadSize + 100).random(0, 2 * FindAnyReadSize + 100, 9).str();
    for (char& c : data)
        c &= 1;
    open(FirmwareBuilder(data.size()).place(0, data));
    const std::vector<std::string> patterns = {std::string(64, '\0'), data.substr(4090, 24),
                                               data.substr(FindAnyReadSize - 20, 40),
                                               data.substr(data.size() - 32)};
    for (const uint32_t from : std::vector<uint32_t>{0, 4091, FindAnyReadSize - 19}) {
        const LiteralAnyMatch expected = LiteralFindAny(ws, patterns, from);
        EXPECT_EQ(FindAnyInFirmware(ws, patterns, from, bar),
                  (AnyMatch{expected.offset, expected.index}))
            << "from " << from;
    }
}

TEST_F(SearchTest, FindAnyStopsAfterTheReadThatSeesTheStop) {
    FirmwareBuilder fw(4 * FindAnyReadSize, 0);
    fw.place(100, "NEEDLE").place(5000, "PIN").place(3 * FindAnyReadSize, "PIN");
    open(fw);
    ws.SearchStop = true; // pending: the first 4096 bytes are searched, then the search ends
    EXPECT_EQ(FindAnyInFirmware(ws, {"PIN", "NEEDLE"}, 0, bar), (AnyMatch{100, 1}));
    EXPECT_TRUE(ws.SearchStop) << "a search that found something leaves the Stop for the next";
    EXPECT_EQ(FindAnyInFirmware(ws, {"PIN"}, 0, bar), AnyMatch{});
    EXPECT_FALSE(ws.SearchStop);
    EXPECT_EQ(bar.pos, 0);

    bar.pumps = 0;
    bar.onPump = [this] { ws.SearchStop = true; };
    EXPECT_EQ(FindAnyInFirmware(ws, {"PIN"}, 6000, bar), AnyMatch{});
    EXPECT_EQ(bar.pumps, 1);
    EXPECT_FALSE(ws.SearchStop);
    bar.onPump = nullptr;
    EXPECT_EQ(FindAnyInFirmware(ws, {"PIN"}, 6000, bar), (AnyMatch{3 * FindAnyReadSize, 0}));
}

// Small reads come from a kept block: every offset and length around block boundaries and the
// end gives the file's bytes, a write is seen at once, and nothing lies past the end.
TEST(FirmwareFileReads, SmallReadsGiveTheFileBytesAndSeeWrites) {
    ScratchDir dir;
    std::string bytes = FirmwareBuilder(10000).random(0, 10000, 3).str();
    const std::string path = dir.file("fw.bin");
    WriteWholeFile(path, bytes);
    Workspace ws;
    ScriptedDialogs dialogs;
    ASSERT_TRUE(ws.OpenFirmware(path, dialogs));
    for (const uint32_t at : {0u, 1u, 4000u, 4095u, 4096u, 8190u, 9999u, 10000u, 20000u})
        for (const size_t count : {size_t{1}, size_t{2}, size_t{255}, size_t{4096}, size_t{5000}})
            EXPECT_EQ(ws.readBytes(at, count), at < bytes.size() ? bytes.substr(at, count) : "")
                << at << " " << count;
    ASSERT_EQ(ws.readBytes(4000, 8), bytes.substr(4000, 8)); // the block around 4000 is kept
    ASSERT_TRUE(ws.WriteAt(4002, "NEW"));
    bytes.replace(4002, 3, "NEW");
    EXPECT_EQ(ws.readBytes(4000, 8), bytes.substr(4000, 8));
}
