#include "fixtures/FirmwareBuilder.h"
#include "fixtures/MediaFixtures.h"
#include "workspace/HexText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace tovallo::testing {
namespace {

// The flash part of a written MediaImage, as on disk (an E720 file is mostly a sparse hole).
std::string FlashOnDisk(const std::string& path, const MediaImage& image) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(image.base);
    std::string bytes(image.flash.size(), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The table entry of sound `i` (from 0).
uint32_t SoundEntryAt(const MediaImage& image, size_t i) {
    return image.soundTable +
           static_cast<uint32_t>(i * (8 + PhoneProfile::ForModel(image.model).SoundEntryPad()));
}

// `sounds table` rows: the entry as TABLE, or 0 for rows found by scanning.
std::string SoundRows(const MediaImage& image, bool scanned) {
    std::string rows;
    for (size_t i = 0; i < image.sounds.size(); ++i)
        rows += "Sound_" + std::to_string(i + 1) + ' ' + ToHexAddr(image.sounds[i].addr) + ' ' +
                std::to_string(image.sounds[i].size) + ' ' +
                ToHexAddr(scanned ? 0 : SoundEntryAt(image, i)) + '\n';
    return rows;
}

TEST(MediaCli, ListsExportsAndLinksOnEveryModel) {
    for (PhoneModel model : AllPhoneModels) {
        SCOPED_TRACE(ModelCliName(model));
        ScratchDir dir;
        MediaImage image = BuildMediaImage(model);
        const uint32_t link = image.base + 0x8000; // a second link to sound 2
        image.flash.placeU32(0x8000, image.sounds[1].addr);
        const std::string fw = image.write(dir.file("fw.bin")) + " --model " + ModelCliName(model);
        const std::string table = dir.file("table.txt");

        CliResult r = RunCli("sounds table " + fw + " --save " + table);
        EXPECT_EQ(r.out, SoundRows(image, false) + "wrote " + table + "\n") << r.err;
        EXPECT_EQ(RunCli("sounds load " + table + " --json").out,
                  RunCli("sounds table " + fw + " --json").out);
        EXPECT_EQ(RunCli("sounds find " + fw).out, SoundRows(image, true));
        r = RunCli("sounds table " + fw + " --at " + ToHexAddr(SoundEntryAt(image, 2)) + " --json");
        const nlohmann::json last = {{"name", "Sound_1"},
                                     {"addr", ToHexAddr(image.sounds[2].addr)},
                                     {"size", 64},
                                     {"table", ToHexAddr(SoundEntryAt(image, 2))}};
        EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::array({last})) << r.err;

        EXPECT_EQ(RunCli("sounds links " + fw + " 2").out,
                  ToHexAddr(SoundEntryAt(image, 1)) + '\n' + ToHexAddr(link) + '\n');
        r = RunCli("sounds relink " + fw + " 2 0x00ABCDEF --only " + ToHexAddr(link));
        EXPECT_EQ(r.out, ToHexAddr(link) + " link 0x00ABCDEF\n") << r.err;
        r = RunCli("sounds export " + fw + " 3 --scan " + dir.file("3.mmf"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadWholeFile(dir.file("3.mmf")), MmfFile(0x38, 3));

        r = RunCli("java list " + fw);
        EXPECT_EQ(r.out, "#Tetris#Tetris.jad " + ToHexAddr(image.base + 0x6000) + ' ' +
                             std::to_string(image.jad.size()) + ' ' +
                             ToHexAddr(image.javaEntries[0]) + "\n#Tetris#Tetris.jar " +
                             ToHexAddr(image.base + 0x7000) + ' ' +
                             std::to_string(image.jar.size()) + ' ' +
                             ToHexAddr(image.javaEntries[1]) + '\n')
            << r.err;
        EXPECT_EQ(nlohmann::json::parse(RunCli("java list " + fw + " --json").out)[1]["entry"],
                  ToHexAddr(image.javaEntries[1]));
        r = RunCli("java export " + fw + " 2 " + dir.file("t.jar"));
        EXPECT_EQ(ReadWholeFile(dir.file("t.jar")), image.jar) << r.err;
        EXPECT_EQ(FlashOnDisk(dir.file("fw.bin"), image), image.flash.str()); // nothing written
    }
}

TEST(MediaCli, ReplacementsWithWriteReadBackAndChangeNothingElse) {
    for (PhoneModel model : {PhoneModel::C200, PhoneModel::E720}) {
        SCOPED_TRACE(ModelCliName(model));
        ScratchDir dir;
        const MediaImage image = BuildMediaImage(model);
        const std::string path = image.write(dir.file("fw.bin"));
        const std::string fw = path + " --model " + ModelCliName(model);
        const std::string sound = MmfFile(0x80, 9), game = std::string(200, 'g');
        WriteWholeFile(dir.file("new.mmf"), sound);
        WriteWholeFile(dir.file("Game.JAR"), game);
        const uint32_t entry = SoundEntryAt(image, 0), javaEntry = image.javaEntries[1];

        CliResult r = RunCli("sounds replace " + fw + " 1 " + dir.file("new.mmf") + " --write");
        EXPECT_EQ(r.out, ToHexAddr(image.sounds[0].addr) + " file 136\n" + ToHexAddr(entry + 4) +
                             " link 0x00000088\nwrote 2 change(s), 140 bytes, into " + path + '\n')
            << r.err;
        r = RunCli("java replace " + fw + " 2 " + dir.file("Game.JAR") + " --write --quiet");
        EXPECT_EQ(r.out, ToHexAddr(image.base + 0x7000) + " file 200\n" + ToHexAddr(javaEntry) +
                             " string e:\\S100\\#Game#Game.jar\n" + ToHexAddr(javaEntry + 128) +
                             " link 0x000000C8\n")
            << r.err;

        EXPECT_NE(RunCli("sounds table " + fw)
                      .out.find("Sound_1 " + ToHexAddr(image.sounds[0].addr) + " 136 "),
                  std::string::npos);
        EXPECT_NE(RunCli("java list " + fw)
                      .out.find("#Game#Game.jar " + ToHexAddr(image.base + 0x7000) + " 200 "),
                  std::string::npos);
        FirmwareBuilder expected = image.flash;
        expected.place(image.sounds[0].addr - image.base, sound)
            .placeU32(entry + 4 - image.base, 136)
            .place(image.base + 0x7000 - image.base, game)
            .place(javaEntry - image.base, std::string("e:\\S100\\#Game#Game.jar") + '\0')
            .placeU32(javaEntry + 128 - image.base, 200);
        EXPECT_EQ(FlashOnDisk(path, image), expected.str());
    }
}

TEST(MediaCli, JadKeepsTheOtherLinesOfAnExistingJad) {
    ScratchDir dir;
    const std::string jar = dir.file("game.jar");
    WriteJar(jar, {{"a/Main.class", std::string(50, 'c'), false},
                   {"META-INF/MANIFEST.MF", TetrisManifest()}});
    WriteWholeFile(dir.file("game.jad"), "MIDlet-Name: Old\r\nMIDlet-Install-Notify: http://x\n");
    const CliResult r = RunCli("java jad " + jar);
    EXPECT_EQ(r.out, dir.file("game.jad") + '\n') << r.err;
    EXPECT_EQ(ReadWholeFile(dir.file("game.jad")),
              "MIDlet-1: Tetris, /icon.png, tetris.Main\r\nMIDlet-Name: Tetris\r\n"
              "MIDlet-Vendor: Blocks Ltd\r\nMIDlet-Version: 1.2\r\nMIDlet-Jar-Size: " +
                  std::to_string(ReadWholeFile(jar).size()) +
                  "\r\nMIDlet-Jar-URL: game.jar\r\nMIDlet-Install-Notify: http://x\r\n");
}

TEST(MediaCli, BadInputFailsWithOneLineAndLeavesTheFirmwareAlone) {
    ScratchDir dir;
    const MediaImage image = BuildMediaImage(PhoneModel::C200);
    const std::string fw = image.write(dir.file("fw.bin"));
    const std::string blank = FirmwareBuilder(0x1000).write(dir.file("blank.bin"));
    WriteWholeFile(dir.file("empty.mmf"), "");
    WriteWholeFile(dir.file("big.mmf"), MmfFile(0x100));
    WriteWholeFile(dir.file("other.jad"), "MIDlet-Name: X\r\n");
    WriteWholeFile(dir.file("damaged.jar"), "PK\x03\x04 not really");
    WriteWholeFile(dir.file("kept.mmf"), "kept");
    WriteWholeFile(dir.file("broken.txt"),
                   "001 Sound_1\t Addr: 0x1000\t Size: 8\t Table: 0x0\t Type: MMF\t\r\n\r\n"
                   "002 Sound_2\t Addr: zz\t Size: 8\t Table: 0x0\t Type: MMF\t\r\n\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {"sounds table " + dir.file("missing.bin"), "missing.bin"},
        {"sounds table " + blank, "The table of Sounds in the Firmware is not found!"},
        {"java list " + blank, "manager_"},
        {"sounds load " + dir.file("broken.txt"), "broken at record 2"},
        {"sounds export " + fw + " 4 " + dir.file("4.mmf"), "row 4 is out of range"},
        {"sounds export " + fw + " 1 " + dir.file("kept.mmf"), "exists"},
        {"sounds replace " + fw + " 1 " + dir.file("empty.mmf") + " --write", "empty"},
        {"sounds replace " + fw + " 1 " + dir.file("gone.mmf") + " --write", "gone.mmf"},
        {"sounds replace " + fw + " 3 " + dir.file("big.mmf") + " --write", "exceeds original"},
        {"sounds relink " + fw + " 1 0x10 --only 0x5 --write", "0x00000005 is no link"},
        {"java replace " + fw + " 1 " + dir.file("damaged.jar") + " --write", "not Supported"},
        {"java jad " + dir.file("damaged.jar"), "Error expanded Jar!"},
    };
    for (const auto& [args, named] : cases) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_TRUE(r.out.empty()) << args << ": " << r.out;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << args << ": " << r.err;
        EXPECT_NE(r.err.find(named), std::string::npos) << args << ": " << r.err;
    }
    EXPECT_EQ(ReadWholeFile(fw), image.flash.str());
    EXPECT_EQ(ReadWholeFile(dir.file("kept.mmf")), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.file("damaged.jad")));
    EXPECT_EQ(RunCli("sounds export " + fw + " 0 " + dir.file("0.mmf")).status, 2);
    // --yes lets the larger file in; without --write nothing is written.
    EXPECT_EQ(RunCli("sounds replace " + fw + " 3 " + dir.file("big.mmf") + " --yes").status, 0);
    EXPECT_EQ(ReadWholeFile(fw), image.flash.str());
}

} // namespace
} // namespace tovallo::testing
