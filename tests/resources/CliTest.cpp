#include "fixtures/CliChecks.h"
#include "fixtures/PictureFixtures.h"
#include "fixtures/SurveyFixtures.h"
#include "images/BmpFile.h"
#include "resources/survey/ResourceSurvey.h"
#include "workspace/HexText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace tovallo {
namespace {

using testing::CliResult;
using testing::ExpectOneLineFailure;
using testing::RunCli;

const char* KindNames[] = {"strings", "pictures", "sounds", "java"};

TEST(SurveyCli, FindAnyAndSurveyOnEveryModel) {
    testing::ScratchDir dir;
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        const PhoneProfile profile = PhoneProfile::ForModel(model);
        const testing::SurveyFirmware fw = testing::BuildSurveyFirmware(model);
        const std::string path = fw.write(dir.file("fw.bin"));
        const std::string m = " --model " + ModelCliName(model);

        // Every match from the flash start, found by comparing each pattern at each offset.
        const auto patterns = SurveyPatterns(profile);
        const uint32_t base = fw.image.base();
        const std::string flash = fw.image.bytes(base, fw.image.end() - base);
        std::string all, hex;
        for (uint32_t at = 0; at < flash.size(); ++at)
            for (size_t k = 0; k < patterns.size(); ++k)
                if (flash.compare(at, patterns[k].size(), patterns[k]) == 0) {
                    all += ToHexAddr(base + at) + " " + std::to_string(k) + "\n";
                    break;
                }
        for (const std::string& p : patterns)
            hex += " --hex \"" + testing::SpacedHex(p) + "\"";
        CliResult r = RunCli("find-any " + path + hex + m + " --all");
        EXPECT_EQ(r.out, all) << r.err;
        const auto& second = fw.tables[1];
        r = RunCli("find-any " + path + hex + m + " --from " + ToHexAddr(second.match - 3));
        EXPECT_EQ(r.out, ToHexAddr(second.match) + " " + std::to_string(second.kind) + "\n");

        std::string survey;
        const size_t rows[] = {fw.languages.size(), fw.pictures, fw.sounds, fw.javaFiles};
        for (const auto& t : fw.tables) {
            const uint32_t table = t.kind == testing::StringsTable ? t.match
                                   : t.kind == testing::JavaTable  ? t.match + 136
                                                                   : t.match + 8;
            survey += ToHexAddr(t.match) + " " + KindNames[t.kind] + " " + ToHexAddr(table) + " " +
                      std::to_string(rows[t.kind]) + "\n";
        }
        for (const FreeRegion& f : fw.freedBlocks)
            survey += ToHexAddr(f.Start) + " free " + std::to_string(f.Size) + " " +
                      std::to_string(f.Used) + "\n";
        r = RunCli("survey " + path + m);
        EXPECT_EQ(r.out, survey);
        EXPECT_EQ(r.err, "");

        // Skipped tables are listed unread; the read ones list their rows.
        const auto json = nlohmann::json::parse(
            RunCli("survey --json --skip pictures --skip sounds " + path + m).out);
        ASSERT_EQ(json["tables"].size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            const auto& t = json["tables"][i];
            const auto kind = fw.tables[i].kind;
            EXPECT_EQ(t["kind"], KindNames[kind]);
            EXPECT_EQ(t["match"], ToHexAddr(fw.tables[i].match));
            const bool read = kind == testing::StringsTable || kind == testing::JavaTable;
            EXPECT_EQ(t["read"], read);
            EXPECT_EQ(t[kind == testing::StringsTable ? "languages" : "rows"].size(),
                      read ? rows[kind] : 0u);
            if (kind == testing::JavaTable) {
                EXPECT_EQ(t["rows"][0],
                          (nlohmann::json{{"name", "#Game#Game.jad"},
                                          {"address", ToHexAddr(base + 0x14000)},
                                          {"size", 19},
                                          {"entry", ToHexAddr(fw.tables[i].match + 136)}}));
            } else if (kind == testing::StringsTable) {
                EXPECT_EQ(t["languages"][1],
                          (nlohmann::json{{"entry", ToHexAddr(fw.languages[1].Offset)},
                                          {"list", 1},
                                          {"item", "Deleted"}}));
            }
        }
        EXPECT_EQ(json["free_regions"].size(), fw.freedBlocks.size());
    }

    // Matches overlap, the lower index wins at one offset, and a short pattern is found in the
    // last byte.
    const std::string small =
        testing::FirmwareBuilder(4, 0).place(1, "AAA").write(dir.file("s.bin"));
    EXPECT_EQ(RunCli("find-any " + small + " --hex 4141 --hex 41 --all").out,
              "0x00000001 0\n0x00000002 0\n0x00000003 1\n");

    // Refusals and usage errors.
    const std::string path =
        testing::BuildSurveyFirmware(PhoneModel::C200).write(dir.file("fw.bin"));
    std::string seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen += " --hex 41";
    EXPECT_EQ(RunCli("find-any " + path + seventeen).status, 2);
    ExpectOneLineFailure(RunCli("find-any " + path + " --hex 41 --hex " + std::string(130, 'A')),
                         "pattern 1 is 65 bytes");
    ExpectOneLineFailure(RunCli("find-any " + path + " --hex \"\""), "pattern 0 is 0 bytes");
    ExpectOneLineFailure(RunCli("survey " + dir.file("missing.bin")), "missing.bin");
    EXPECT_EQ(RunCli("survey " + path + " --skip tunes").status, 2);
    EXPECT_EQ(RunCli("find-any " + path).status, 2);
}

Picture readBmp(const std::string& path) {
    Picture p;
    std::string error;
    EXPECT_TRUE(ReadBmpFile(path, p, error)) << error;
    return p;
}

// The picture drawn on a white frame at its top-left.
Picture frameOf(const Picture& p) {
    Picture frame(320, 240);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            frame.at(x, y) = p.at(x, y);
    return frame;
}

TEST(AnimCli, SavesSeriesPixelExactAndRefusesWholly) {
    testing::ScratchDir dir;
    const Picture a = testing::StripedPicture(40, 30, {0xF800, 0x07E0, 0x001F});
    Picture b = a;
    for (int y = 5; y < 15; ++y)
        for (int x = 10; x < 20; ++x)
            b.at(x, y) = 0;
    const Picture c = testing::StripedPicture(50, 20, {0xFFE0, 0x001F});
    const std::vector<Picture> pictures = {a, b, c};
    std::string frames, error;
    for (size_t i = 0; i < pictures.size(); ++i) {
        frames += dir.file("f" + std::to_string(i) + ".bmp") + " ";
        ASSERT_TRUE(WriteBmpFile(dir.file("f" + std::to_string(i) + ".bmp"), pictures[i], error));
    }

    // With --diff each pixel that equals the previous frame's becomes the transparent colour;
    // the size follows the largest picture, 50 x 30.
    CliResult r = RunCli("anim save " + frames + "--diff --model E720 --out " + dir.file("an.bmp"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.file("an_0.bmp") + "\n" + dir.file("an_1.bmp") + "\n" +
                         dir.file("an_2.bmp") + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("an.bmp")));
    const Rgb24 transparent = PhoneProfile::ForModel(PhoneModel::E720).TransparentColor;
    for (size_t i = 0; i < pictures.size(); ++i) {
        Picture expected = frameOf(pictures[i]).cropped(50, 30);
        for (int y = 0; i > 0 && y < 30; ++y)
            for (int x = 0; x < 50; ++x)
                if (frameOf(pictures[i]).at(x, y) == frameOf(pictures[i - 1]).at(x, y))
                    expected.at(x, y) = transparent;
        EXPECT_EQ(readBmp(dir.file("an_" + std::to_string(i) + ".bmp")), expected) << i;
    }
    r = RunCli("anim save " + frames + "--size 20x10 --out " + dir.file("cut.bmp"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBmp(dir.file("cut_1.bmp")), b.cropped(20, 10));

    // 255 frames pass, a 256th is refused before anything is written.
    std::string many;
    for (int i = 0; i < 255; ++i)
        many += dir.file("f0.bmp") + " ";
    r = RunCli("anim save " + many + "--out " + dir.file("many.bmp"));
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 255) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("many_254.bmp")));
    ExpectOneLineFailure(RunCli("anim save " + many + frames + "--out " + dir.file("over.bmp")),
                         "at most 255");

    // A broken frame (the BMP reader's reasons are checked in BmpFile) or a missing folder
    // writes nothing.
    const std::string bmp = testing::ReadWholeFile(dir.file("f0.bmp"));
    testing::WriteWholeFile(dir.file("short.bmp"), bmp.substr(0, bmp.size() / 2));
    ExpectOneLineFailure(
        RunCli("anim save " + frames + dir.file("short.bmp") + " --out " + dir.file("bad.bmp")),
        "short.bmp");
    ExpectOneLineFailure(RunCli("anim save " + frames + "--out " + dir.file("none/x.bmp")), "none");
    EXPECT_EQ(RunCli("anim save " + frames + "--size 321x10 --out " + dir.file("bad.bmp")).status,
              2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("over_0.bmp")) ||
                 std::filesystem::exists(dir.file("bad_0.bmp")) ||
                 std::filesystem::exists(dir.file("none")));
}

} // namespace
} // namespace tovallo
