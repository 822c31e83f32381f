#include "workspace/OutputFile.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "workspace/Workspace.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tovallo;
using namespace tovallo::testing;
namespace fs = std::filesystem;

namespace {

size_t entries(const ScratchDir& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
}

} // namespace

TEST(OutputFile, ReplacesTheTargetOnlyWhenCommitted) {
    ScratchDir dir;
    const std::string target = dir.file("out.s3");
    {
        OutputFile out = OutputFile::Create(target);
        ASSERT_TRUE(out.isOpen()) << out.error();
        EXPECT_TRUE(out.write("half"));
        EXPECT_FALSE(fs::exists(target)) << "nothing appears before the commit";
    }
    EXPECT_EQ(entries(dir), 0u) << "dropped without commit: no file, no temporary file";

    WriteWholeFile(target, "earlier");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    OutputFile out = OutputFile::Create(target);
    EXPECT_TRUE(out.write("new ") && out.seek(8) && out.write("bytes"));
    EXPECT_EQ(ReadWholeFile(target), "earlier");
    ASSERT_TRUE(out.commit()) << out.error();
    EXPECT_EQ(ReadWholeFile(target), std::string("new \0\0\0\0bytes", 13));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entries(dir), 1u);

    // A symbolic link stays a link; the file it names gets the bytes.
    fs::create_symlink(target, dir.file("link.s3"));
    OutputFile viaLink = OutputFile::Create(dir.file("link.s3"));
    ASSERT_TRUE(viaLink.write("linked") && viaLink.commit());
    EXPECT_TRUE(fs::is_symlink(dir.file("link.s3")));
    EXPECT_EQ(ReadWholeFile(target), "linked");

    // A write that fails (a full disk) fails the commit and leaves the target as it was.
    {
        FileSizeLimit limit(16);
        OutputFile full = OutputFile::Create(target);
        EXPECT_FALSE(full.write(std::string(64, 'x')));
        EXPECT_FALSE(full.commit());
        EXPECT_FALSE(full.error().empty());
    }
    EXPECT_EQ(ReadWholeFile(target), "linked");
    EXPECT_EQ(entries(dir), 2u);

    EXPECT_FALSE(OutputFile::Create(dir.file("no/such/folder/x")).isOpen());
}

TEST(OutputFile, SetsArePutInPlaceTogether) {
    ScratchDir dir;
    WriteWholeFile(dir.file("a"), "old a");
    {
        OutputFileSet files;
        EXPECT_TRUE(files.create(dir.file("a")).write("new a"));
        EXPECT_TRUE(files.create(dir.file("b")).write("new b"));
    }
    EXPECT_EQ(ReadWholeFile(dir.file("a")), "old a");
    EXPECT_FALSE(fs::exists(dir.file("b")));
    OutputFileSet files;
    files.create(dir.file("a")).write("new a");
    files.create(dir.file("b")).write("new b");
    ASSERT_TRUE(files.commitAll());
    EXPECT_EQ(ReadWholeFile(dir.file("a")) + ReadWholeFile(dir.file("b")), "new anew b");
}

TEST(OutputFile, TheFirmwareAndTheInputsAreRefusedByIdentity) {
    ScratchDir dir;
    Workspace ws;
    ScriptedDialogs dialogs;
    const std::string fw = FirmwareBuilder(64, 0x5A).write(dir.file("fw.bin"));
    const std::string input = dir.file("in.s3");
    WriteWholeFile(input, "S3");
    fs::create_symlink(fw, dir.file("fw-link.s3"));
    fs::create_hard_link(fw, dir.file("fw-hard.s3"));
    fs::create_hard_link(input, dir.file("in-hard.bin"));
    fs::create_directory(dir.file("folder"));

    // Before a firmware is open its file is an ordinary output.
    EXPECT_TRUE(CheckOutputTarget(ws, fw, {input}, dialogs));
    ASSERT_TRUE(ws.OpenFirmware(fw, dialogs));
    for (const char* name : {"fw.bin", "fw-link.s3", "fw-hard.s3", "in-hard.bin", "folder"}) {
        dialogs.shown.clear();
        EXPECT_FALSE(CheckOutputTarget(ws, dir.file(name), {input}, dialogs)) << name;
        EXPECT_EQ(dialogs.numbers(), std::vector<int>{-1}) << name;
    }
    EXPECT_TRUE(CheckOutputTarget(ws, dir.file("new.s3"), {input}, dialogs));
    EXPECT_TRUE(SameFile(dir.file("fw-hard.s3"), dir.file("fw-link.s3")));
    EXPECT_FALSE(SameFile(fw, dir.file("new.s3")));
}
