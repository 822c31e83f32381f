#include "ImagesTestSupport.h"
#include "images/AnimationFrames.h"

#include <filesystem>

namespace tovallo {
namespace {

using Size = std::pair<int, int>;

// A picture whose pixel (x, y) is x + 1000 * y + seed, so every pixel tells where it came from.
Picture Numbered(int width, int height, Rgb24 seed = 0) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.at(x, y) = static_cast<Rgb24>(x + 1000 * y) + seed;
    return p;
}

Size sizeOf(const AnimationFrames& a) {
    return {a.width(), a.height()};
}

TEST(AnimationFrames, AddFrameDrawsOnWhiteCutsAndFollowsTheSize) {
    // The fields follow the first picture, then only grow; smaller frames lie on white.
    AnimationFrames b;
    EXPECT_EQ(sizeOf(b), Size(1, 1));
    const Picture tall = Numbered(60, 80, 7);
    b.addFrame(Numbered(100, 50));
    b.addFrame(tall);
    EXPECT_EQ(sizeOf(b), Size(100, 80));
    const Picture& frame = b.frames()[1].picture;
    EXPECT_EQ(Size(frame.Width, frame.Height), Size(320, 240));
    EXPECT_EQ(frame.cropped(60, 80), tall);
    EXPECT_EQ(std::pair(frame.at(60, 0), frame.at(0, 80)), std::pair(White, White));
    b.AutoSize = false;
    b.addFrame(Numbered(200, 200));
    EXPECT_EQ(sizeOf(b), Size(100, 80));
    EXPECT_FALSE(b.setSize(321, 10));
    EXPECT_FALSE(b.setSize(10, 0));
    EXPECT_TRUE(b.setSize(320, 240));

    // 255 frames fit the 8-bit frame number; a 256th is refused.
    AnimationFrames many;
    for (int i = 0; i < 255; ++i)
        ASSERT_TRUE(many.addFrame(Numbered(2, 2, static_cast<Rgb24>(i))));
    EXPECT_FALSE(many.canAddFrame());
    EXPECT_FALSE(many.addFrame(Numbered(2, 2)));
    EXPECT_EQ(many.framesText(), "Frame: 255/255");
}

TEST(AnimationFrames, ButtonsAndTimerMoveTheCurrentFrame) {
    AnimationFrames a;
    std::string moveTo = "3";
    // Without a current frame Delete, Move To and a tick do nothing.
    a.deleteFrame();
    a.tick();
    EXPECT_FALSE(a.moveCurrentTo(moveTo));
    EXPECT_EQ(a.framesText(), "Frame: 0/0");

    const Picture p1 = Numbered(4, 4, 1), p2 = Numbered(4, 4, 2), p3 = Numbered(4, 4, 3);
    for (const Picture& p : {p1, p2, p3})
        a.addFrame(p);
    EXPECT_EQ(a.framesText(), "Frame: 3/3");
    a.tabEntered();
    a.deleteFrame();
    EXPECT_EQ(a.framesText(), "Frame: 0/3") << "nothing is deleted while no frame is current";
    a.tick();
    EXPECT_EQ(a.current(), 1u);

    // Frame 1 moved to 3: the old frames 2, 3, 1; the current number stays.
    moveTo = "#3";
    EXPECT_TRUE(a.moveCurrentTo(moveTo));
    EXPECT_EQ(moveTo, "3");
    EXPECT_EQ(a.framesText(), "Frame: 1/3");
    EXPECT_EQ(a.currentFrame()->cropped(4, 4), p2);
    EXPECT_EQ(a.frames()[2].picture.cropped(4, 4), p1);
    for (std::string text : {"x", "4", "0", "99999999999"}) {
        EXPECT_FALSE(a.moveCurrentTo(text)) << text;
        EXPECT_EQ(a.currentFrame()->cropped(4, 4), p2);
    }

    a.prev();
    EXPECT_EQ(a.current(), 1u);
    a.end();
    a.next();
    EXPECT_EQ(a.current(), 3u);
    a.tick();
    EXPECT_EQ(a.current(), 1u) << "playback loops";
    a.start();
    a.next();
    EXPECT_EQ(a.current(), 2u);

    // A frame added after stepping back: the frame shown is the one after the current one.
    a.prev();
    a.addFrame(Numbered(4, 4, 4));
    EXPECT_EQ(a.framesText(), "Frame: 2/4");

    // Delete keeps the number unless it is 1; deleting the last frame leaves 0/0.
    a.deleteFrame();
    EXPECT_EQ(a.framesText(), "Frame: 1/3");
    a.deleteFrame();
    a.deleteFrame();
    EXPECT_EQ(a.framesText(), "Frame: 1/1");
    a.deleteFrame();
    EXPECT_EQ(a.currentFrame(), nullptr);
    a.end();
    a.start();
    EXPECT_EQ(a.framesText(), "Frame: 0/0");
}

struct SaveTest : ::testing::Test {
    SaveTest() { ws.SelectModel(PhoneModel::C200); }
    std::vector<std::string> save(const AnimationFrames& a, const std::string& name) {
        return SaveAnimation(ws, a, dir.file(name), dialogs);
    }
    Picture read(const std::string& name) { return testing::ReadBmp(dir.file(name)); }
    testing::ScratchDir dir;
    Workspace ws;
    testing::ScriptedDialogs dialogs;
};

TEST_F(SaveTest, WritesEachFrameCutAndTheDifferencesToThePreviousFrame) {
    // Frame 1 changes two pixels of frame 0; frame 2 turns one of them back.
    const Picture f0 = Numbered(6, 5);
    Picture f1 = f0, f2 = f0;
    f1.at(1, 1) = 0x123456;
    f1.at(4, 3) = f2.at(4, 3) = 0x654321;
    AnimationFrames a;
    for (const Picture& f : {f0, f1, f2})
        a.addFrame(f);
    ASSERT_TRUE(a.setSize(5, 4));
    testing::WriteWholeFile(dir.file("anim_1.bmp"), "an older file");

    EXPECT_EQ(save(a, "anim.bmp"),
              (std::vector<std::string>{dir.file("anim_0.bmp"), dir.file("anim_1.bmp"),
                                        dir.file("anim_2.bmp")}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("anim.bmp"))) << "the chosen name itself";
    EXPECT_EQ(read("anim_0.bmp"), f0.cropped(5, 4));
    const Rgb24 blue8 = 0x080000;
    Picture d1(5, 4, blue8), d2(5, 4, blue8);
    d1.at(1, 1) = 0x123456;
    d1.at(4, 3) = 0x654321;
    EXPECT_EQ(read("anim_1.bmp"), d1);
    // Against frame 1, not its saved difference: (1, 1) returns to its old colour in full.
    d2.at(1, 1) = f0.at(1, 1);
    EXPECT_EQ(read("anim_2.bmp"), d2);
    EXPECT_EQ(testing::ReadWholeFile(dir.file("anim_0.bmp")).substr(28, 2),
              std::string("\x18\x00", 2))
        << "24 bits a pixel";

    // Two equal frames: the second all in the model's colour, or as it is without compression.
    ws.SelectModel(PhoneModel::E720);
    AnimationFrames same;
    same.addFrame(f0);
    same.addFrame(f0);
    save(same, "same");
    EXPECT_EQ(read("same_1.bmp"), Picture(6, 5, 0xFF00FF));
    same.Compression = false;
    save(same, "same.x.bmp");
    EXPECT_EQ(read("same.x_1.bmp"), f0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SaveTest, WritesNothingWhenAnyFileIsRefusedOrCannotBeWritten) {
    AnimationFrames a;
    EXPECT_TRUE(save(a, "empty.bmp").empty());
    EXPECT_TRUE(dialogs.shown.empty()) << "saving no frames is no failure";

    testing::WriteWholeFile(dir.file("anim_0.bmp"), "kept");
    const std::string source = dir.file("anim_1.bmp");
    testing::WriteWholeFile(source, "kept");
    a.addFrame(Numbered(3, 3), dir.file("other.bmp"));
    a.addFrame(Numbered(3, 3, 1), source);
    EXPECT_TRUE(save(a, "anim.bmp").empty()) << "a frame's own file is not written over";
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find(source), std::string::npos);
    EXPECT_EQ(testing::ReadWholeFile(dir.file("anim_0.bmp")), "kept");

    std::filesystem::create_directory(dir.file("dir_1.bmp"));
    EXPECT_TRUE(save(a, "dir.bmp").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("dir_0.bmp")));

    dialogs.shown.clear();
    EXPECT_TRUE(save(a, "missing/anim.bmp").empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("missing/anim_0.bmp"), std::string::npos);
}

TEST_F(SaveTest, FrameFilesAreAllReadBeforeAnyIsAdded) {
    const Picture big = Numbered(400, 300);
    std::string error;
    ASSERT_TRUE(WriteBmpFile(dir.file("a.bmp"), big, error));
    ASSERT_TRUE(WriteBmpFile(dir.file("b.bmp"), Numbered(8, 6, 5), error));
    const std::string b = testing::ReadWholeFile(dir.file("b.bmp"));
    testing::WriteWholeFile(dir.file("cut.bmp"), b.substr(0, b.size() - 10));

    AnimationFrames a;
    EXPECT_FALSE(AddFrameFiles(a, {dir.file("a.bmp"), dir.file("cut.bmp")}, error));
    EXPECT_NE(error.find("cut.bmp"), std::string::npos) << error;
    EXPECT_EQ(a.count(), 0u);
    ASSERT_TRUE(AddFrameFiles(a, {dir.file("a.bmp"), dir.file("b.bmp")}, error)) << error;
    EXPECT_EQ(a.frames()[0].picture, big.cropped(320, 240)) << "cut to a frame";
    EXPECT_EQ(a.frames()[1].source, dir.file("b.bmp"));
    EXPECT_EQ(sizeOf(a), Size(320, 240));

    const std::vector<std::string> tooMany(254, dir.file("b.bmp"));
    EXPECT_FALSE(AddFrameFiles(a, tooMany, error));
    EXPECT_EQ(a.count(), 2u);
    EXPECT_TRUE(AddFrameFiles(a, {tooMany.begin(), tooMany.end() - 1}, error));
    EXPECT_EQ(a.count(), 255u);
}

} // namespace
} // namespace tovallo
