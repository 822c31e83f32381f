#include "images/ViewerNavigation.h"

#include "ImagesTestSupport.h"
#include "images/PictureReader.h"

#include <gtest/gtest.h>

namespace tovallo {
namespace {

using testing::ScriptedDialogs;

// A firmware of 0xFF bytes with an "09" picture at 0x10 and a RAW-16 type byte at 0x20.
struct SmallFirmware {
    testing::OpenedFirmware fw{
        testing::FirmwareBuilder(0x100).place(0x10, "\x09").place(0x20, std::string(1, '\0'))};
    ByteReader reader() { return FirmwareReader(fw.ws); }
    int64_t size() const { return static_cast<int64_t>(fw.ws.FwSize()); }
};

TEST(ViewerNavigation, DumpMovesStopAtBothEndsOfTheFile) {
    constexpr int64_t size = 0x28000; // two and a half pages of width 128
    ScriptedDialogs dialogs;
    CurrentPicture cur; // width 128: a page is 81920 bytes, a row 256
    auto move = [&](uint32_t from, DumpMove m) {
        cur.Address = from;
        return MoveDump(cur, size, m, dialogs) ? int64_t{cur.Address} : -1;
    };
    EXPECT_EQ(move(1, DumpMove::NextPage), 81921);
    EXPECT_EQ(move(81919, DumpMove::NextPage), 81919 + 81920);
    EXPECT_EQ(move(81920, DumpMove::NextPage), -1); // the page would reach the end
    EXPECT_EQ(move(81920, DumpMove::RowUp), -1);    // refused by the page test, not the row test
    EXPECT_EQ(move(81919, DumpMove::RowUp), 81919 + 256);
    EXPECT_EQ(move(size - 3, DumpMove::PixelRight), size - 1);
    EXPECT_EQ(move(size - 2, DumpMove::PixelRight), -1);
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{2, 2, 2}));

    dialogs.shown.clear();
    EXPECT_EQ(move(81920, DumpMove::PrevPage), -1); // exactly one page
    EXPECT_EQ(move(81921, DumpMove::PrevPage), 1);
    EXPECT_EQ(move(256, DumpMove::RowDown), -1);
    EXPECT_EQ(move(257, DumpMove::RowDown), 1);
    EXPECT_EQ(move(2, DumpMove::PixelLeft), -1);
    EXPECT_EQ(move(3, DumpMove::PixelLeft), 1);
    EXPECT_EQ(dialogs.numbers(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(dialogs.shown[0].kind, 'w');
    // A refusal leaves the address as it was.
    EXPECT_EQ(cur.Address, 1u);
    EXPECT_FALSE(MoveDump(cur, size, DumpMove::PixelLeft, dialogs));
    EXPECT_EQ(cur.Address, 1u);

    // The page and row follow the width.
    cur.Width = 64;
    EXPECT_EQ(move(1, DumpMove::NextPage), 1 + 64 * 640);
    EXPECT_EQ(move(129, DumpMove::RowDown), 1);
}

TEST(ViewerNavigation, SizeEntriesTakeOnlyTheirRange) {
    CurrentPicture cur;
    // Each entry, then the width and height it leaves: empty, out of range and five digits are
    // no size; the text is cleaned to its digits.
    const std::tuple<PictureSide, const char*, int, int> entries[] = {
        {PictureSide::Width, "", 128, 128},      {PictureSide::Width, "500", 128, 128},
        {PictureSide::Width, "0", 128, 128},     {PictureSide::Width, "3 2x0", 320, 128},
        {PictureSide::Height, "241", 320, 128},  {PictureSide::Height, "240", 320, 240},
        {PictureSide::Height, "00016", 320, 240}};
    for (const auto& [side, text, width, height] : entries) {
        EnterPictureSide(cur, side, text);
        EXPECT_EQ(std::pair(cur.Width, cur.Height), std::pair(width, height)) << text;
    }
    EXPECT_EQ(PictureSideRangeText(PictureSide::Width), "1-320");
    EXPECT_EQ(PictureSideRangeText(PictureSide::Height), "1-240");
}

TEST(ViewerNavigation, TypedAddressesInsideTheFileAreShown) {
    SmallFirmware fw;
    ScriptedDialogs dialogs;
    CurrentPicture cur;
    auto enter = [&](const std::string& text, AddressBase base, TypeChoice choice) {
        return EnterAddress(fw.reader(), cur, fw.size(), text, base, choice, dialogs);
    };
    ASSERT_TRUE(enter("0x10", AddressBase::Hexadecimal, TypeChoice::Auto));
    EXPECT_EQ(cur.Address, 0x10u);
    EXPECT_EQ(cur.Type, ImageType::Image09);
    ASSERT_TRUE(enter("3 2", AddressBase::Decimal, TypeChoice::Auto));
    EXPECT_EQ(cur.Address, 0x20u);
    EXPECT_EQ(cur.Type, ImageType::Raw16);
    // Past the end, or empty: the old address, recognised again by the choice.
    ASSERT_TRUE(enter("0x100", AddressBase::Hexadecimal, TypeChoice::Wbmp));
    EXPECT_EQ(cur.Address, 0x20u);
    EXPECT_EQ(cur.Type, ImageType::Wbmp);
    ASSERT_TRUE(enter("", AddressBase::Decimal, TypeChoice::Auto));
    EXPECT_EQ(cur.Address, 0x20u);
    EXPECT_EQ(cur.Type, ImageType::Raw16);
    ASSERT_TRUE(enter("0xFF", AddressBase::Hexadecimal, TypeChoice::Auto));
    EXPECT_EQ(cur.Address, 0xFFu);
    EXPECT_TRUE(dialogs.shown.empty());
    // Hexadecimal text without digits is address 0.
    ASSERT_TRUE(enter("zz", AddressBase::Hexadecimal, TypeChoice::Auto));
    EXPECT_EQ(cur.Address, 0u);

    // A decimal beyond 64 bits is no number: reported, nothing to draw.
    cur.Type = ImageType::Unknown;
    EXPECT_FALSE(enter("99999999999999999999", AddressBase::Decimal, TypeChoice::Auto));
    EXPECT_TRUE(dialogs.showedText());
    EXPECT_EQ(cur.Address, 0u);
    EXPECT_EQ(cur.Type, ImageType::Unknown);
}

TEST(ViewerNavigation, ListedRaw16PicturesStartPastTheirTypeByte) {
    SmallFirmware fw;
    const FoundPictureList found = {{0x10, 0, 0}, {0x20, 0, 0}};
    CurrentPicture cur;
    SelectListedPicture(fw.reader(), cur, 0x20, found, TypeChoice::Auto);
    EXPECT_EQ(cur.Address, 0x21u);
    EXPECT_EQ(cur.Type, ImageType::Raw16);
    EXPECT_EQ(ListedAddress(cur, found), 0x20u);

    // Another type choice recognises the listed picture again.
    ChangeTypeChoice(fw.reader(), cur, found, TypeChoice::Image09);
    EXPECT_EQ(cur.Address, 0x20u);
    EXPECT_EQ(cur.Type, ImageType::Image09);
    ChangeTypeChoice(fw.reader(), cur, found, TypeChoice::Auto);
    EXPECT_EQ(cur.Address, 0x21u);

    // A RAW-16 picture that is not listed is drawn from its own address.
    SelectListedPicture(fw.reader(), cur, 0x30, found, TypeChoice::Raw16);
    EXPECT_EQ(cur.Address, 0x30u);
    EXPECT_EQ(ListedAddress(cur, found), 0x30u);
    ChangeTypeChoice(fw.reader(), cur, found, TypeChoice::Auto);
    EXPECT_EQ(cur.Address, 0x30u);
    EXPECT_EQ(cur.Type, ImageType::Wbmp);
}

} // namespace
} // namespace tovallo
