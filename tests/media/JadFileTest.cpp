#include "media/JadFile.h"
#include "MediaTestSupport.h"
#include "media/JarManifest.h"

#include <filesystem>

namespace tovallo {
namespace {

namespace fs = std::filesystem;
using namespace testing;

const std::string TetrisJad = "MIDlet-1: Tetris, /icon.png, tetris.Main\r\n"
                              "MIDlet-Name: Tetris\r\n"
                              "MIDlet-Vendor: Blocks Ltd\r\n"
                              "MIDlet-Version: 1.2\r\n";

TEST(JarManifest, TheFirstManifestEntryStoredOrDeflatedAnywhereInTheArchive) {
    ScratchDir dir;
    const auto manifestOf = [&](const std::vector<JarEntry>& entries) {
        WriteJar(dir.file("g.jar"), entries);
        return ReadJarManifest(dir.file("g.jar"));
    };
    const std::string manifest = TetrisManifest();
    for (bool deflate : {false, true})
        for (size_t position : {0, 1, 2}) {
            std::vector<JarEntry> entries = {{"tetris/Main.class", std::string(5000, 'z')},
                                             {"icon.png", "PNG", false}};
            entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(position),
                           {"META-INF/MANIFEST.MF", manifest, deflate});
            EXPECT_EQ(manifestOf(entries), manifest) << deflate << " at " << position;
        }
    // Any letter case, the first of two; an empty manifest and one of exactly 1 MiB are read, a
    // byte more is refused; another name is no manifest.
    EXPECT_EQ(manifestOf({{"meta-inf/Manifest.mf", "first"}, {"META-INF/MANIFEST.MF", "b"}}),
              "first");
    EXPECT_EQ(manifestOf({{"META-INF/MANIFEST.MF", ""}}), "");
    const std::string big(MaxManifestSize, 'm');
    EXPECT_EQ(manifestOf({{"META-INF/MANIFEST.MF", big}})->size(), MaxManifestSize);
    EXPECT_EQ(manifestOf({{"META-INF/MANIFEST.MF", big + "m"}}), std::nullopt);
    EXPECT_EQ(manifestOf({{"META-INF/OTHER.MF", "x"}, {"MANIFEST.MF", "y"}}), std::nullopt);
}

TEST(JarManifest, UnreadableArchivesGiveNothing) {
    ScratchDir dir;
    EXPECT_EQ(ReadJarManifest(dir.file("missing.jar")), std::nullopt);
    WriteWholeFile(dir.file("text.jar"), "this is no archive at all");
    EXPECT_EQ(ReadJarManifest(dir.file("text.jar")), std::nullopt);
    // Cut in the middle, the central directory is gone; a deflated manifest whose data is
    // damaged fails its inflate or its checksum.
    WriteJar(dir.file("good.jar"), {{"META-INF/MANIFEST.MF", TetrisManifest(), true}});
    std::string bytes = ReadWholeFile(dir.file("good.jar"));
    WriteWholeFile(dir.file("cut.jar"), bytes.substr(0, 60));
    EXPECT_EQ(ReadJarManifest(dir.file("cut.jar")), std::nullopt);
    const size_t data = 30 + std::string("META-INF/MANIFEST.MF").size(); // after the local header
    for (size_t i = data; i < data + 8; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteWholeFile(dir.file("damaged.jar"), bytes);
    EXPECT_EQ(ReadJarManifest(dir.file("damaged.jar")), std::nullopt);
}

TEST(ManifestLines, LineEndsAndContinuations) {
    EXPECT_EQ(ManifestLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(ManifestLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    // One blank continues the line before; a second blank is part of the text.
    EXPECT_EQ(ManifestLines("MIDlet-1: Long\r\n  name\r\n more\r\nX: y\r\n"),
              (std::vector<std::string>{"MIDlet-1: Long namemore", "X: y"}));
    // Nothing to continue at the start or after an empty line.
    EXPECT_EQ(ManifestLines(" a\n\n b"), (std::vector<std::string>{" a", "", " b"}));
}

TEST(BuildJad, FixedLinesFirstThenTheOtherLinesOfTheOldJad) {
    const std::string manifest = "midlet-vendor: X\r\nMIDlet-Name: Game\r\nMIDlet-Name: Later\r\n"
                                 "MIDlet-Version: 2\r\nMIDlet-1: G, /g.png, g.M\r\nab\r\n";
    std::string custom;
    for (int i = 0; i < 30; ++i)
        custom += "Custom-" + std::to_string(i) + ": v\r\n";
    const std::string old = "MIDlet-Jar-Size: 100\r\nMIDlet-Jar-URL: old.jar\r\nMIDlet-1: old\r\n" +
                            custom + "MicroEdition-Profile: MIDP-2.0\n\nxy\r\n";
    const std::string expected =
        "MIDlet-1: G, /g.png, g.M\r\nMIDlet-Name: Later\r\nmidlet-vendor: X\r\n"
        "MIDlet-Version: 2\r\nMIDlet-Jar-Size: 1234\r\nMIDlet-Jar-URL: g.jar\r\n" +
        custom + "MicroEdition-Profile: MIDP-2.0\r\n";
    EXPECT_EQ(BuildJad(manifest, 1234, "g.jar", old), expected);
    // A manifest without MIDlet lines still gives the two JAR lines.
    EXPECT_EQ(BuildJad("Manifest-Version: 1.0\r\n", 5, "a.jar", ""),
              "MIDlet-Jar-Size: 5\r\nMIDlet-Jar-URL: a.jar\r\n");
    EXPECT_EQ(JadPathFor("/d/Game.JAR"), "/d/Game.jad");
}

TEST(CreateJadFile, WritesTheJadBesideTheJarButNeverOverIt) {
    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    const std::string jar = dir.file("Tetris.JAR");
    WriteJar(jar, {{"tetris/Main.class", "c"}, {"META-INF/MANIFEST.MF", TetrisManifest()}});
    ASSERT_EQ(CreateJadFile(ws, jar, dialogs), dir.file("Tetris.jad"));
    EXPECT_EQ(ReadWholeFile(dir.file("Tetris.jad")),
              TetrisJad + "MIDlet-Jar-Size: " + std::to_string(fs::file_size(jar)) +
                  "\r\nMIDlet-Jar-URL: Tetris.JAR\r\n");
    EXPECT_TRUE(dialogs.shown.empty());

    // A damaged JAR: "Error expanded Jar!" and the JAD as it was.
    WriteWholeFile(dir.file("Bad.jar"), "PK\x03\x04 broken");
    WriteWholeFile(dir.file("Bad.jad"), "MIDlet-Name: keep\r\n");
    EXPECT_EQ(CreateJadFile(ws, dir.file("Bad.jar"), dialogs), std::nullopt);
    ASSERT_EQ(dialogs.numbers(), std::vector<int>{-1});
    EXPECT_EQ(dialogs.shown[0].text, "Error expanded Jar!");
    EXPECT_EQ(ReadWholeFile(dir.file("Bad.jad")), "MIDlet-Name: keep\r\n");

    // The JAD may not be the JAR itself, nor a link to it.
    dialogs.shown.clear();
    WriteJar(dir.file("Same.jad"), {{"META-INF/MANIFEST.MF", TetrisManifest()}});
    const std::string sameBefore = ReadWholeFile(dir.file("Same.jad"));
    EXPECT_EQ(CreateJadFile(ws, dir.file("Same.jad"), dialogs), std::nullopt);
    fs::create_hard_link(jar, dir.file("Linked.jar"));
    fs::create_symlink(jar, dir.file("Linked.jad"));
    EXPECT_EQ(CreateJadFile(ws, dir.file("Linked.jar"), dialogs), std::nullopt);
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{-1, -1}));
    EXPECT_EQ(ReadWholeFile(dir.file("Same.jad")), sameBefore);
    EXPECT_EQ(ReadWholeFile(jar).substr(0, 2), "PK");
}

// A JAR made by Info-ZIP's zip, streamed through a pipe so that it carries data descriptors,
// with a manifest whose MIDlet-1 line is wrapped after 72 bytes.
TEST(CreateJadFile, ReadsAJarMadeByInfoZip) {
    if (std::system("command -v zip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Info-ZIP zip is not installed";
    ScratchDir dir;
    fs::create_directories(dir.path() / "src/META-INF");
    const std::string longLine = "MIDlet-1: Tetris Deluxe Edition, /icons/tetris-deluxe.png, "
                                 "com.blocks.tetris.DeluxeMain";
    ASSERT_GT(longLine.size(), 72u);
    WriteWholeFile(dir.file("src/META-INF/MANIFEST.MF"),
                   "Manifest-Version: 1.0\r\n" + longLine.substr(0, 72) + "\r\n " +
                       longLine.substr(72) + "\r\nMIDlet-Name: Tetris\r\n\r\n");
    WriteWholeFile(dir.file("src/Main.class"), std::string(4000, 'q'));
    for (const char* level : {"-0", "-9"}) {
        SCOPED_TRACE(level);
        const std::string jar = dir.file(std::string("game") + level + ".jar");
        const std::string command = "cd '" + dir.file("src") + "' && zip -q -X " + level +
                                    " - META-INF/MANIFEST.MF Main.class | cat > '" + jar + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string bytes = ReadWholeFile(jar);
        ASSERT_GT(bytes.size(), 8u);
        EXPECT_TRUE(bytes[6] & 0x08) << "general purpose bit 3: a data descriptor follows";

        Workspace ws;
        ScriptedDialogs dialogs;
        const std::optional<std::string> jad = CreateJadFile(ws, jar, dialogs);
        ASSERT_TRUE(jad);
        EXPECT_EQ(ReadWholeFile(*jad), longLine + "\r\nMIDlet-Name: Tetris\r\nMIDlet-Jar-Size: " +
                                           std::to_string(bytes.size()) + "\r\nMIDlet-Jar-URL: " +
                                           fs::path(jar).filename().string() + "\r\n");
    }
}

} // namespace
} // namespace tovallo
