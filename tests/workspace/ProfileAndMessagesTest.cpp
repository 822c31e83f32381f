#include "fixtures/FirmwareBuilder.h"
#include "workspace/Messages.h"
#include "workspace/PhoneProfile.h"

#include <gtest/gtest.h>

using namespace tovallo;
using tovallo::testing::HexBytes;

TEST(PhoneProfile, ModelsCarryTheirSignaturesAndDerivedValues) {
    const PhoneProfile e720 = PhoneProfile::ForModel(PhoneModel::E720);
    EXPECT_EQ(e720.FlashStart(), 0x20000000u);
    EXPECT_EQ(e720.SoundEntryPad(), 44u);
    EXPECT_EQ(e720.StringTableSig, std::string("1200\0002400\0004800\0009600\0", 20))
        << "the four zero bytes count";

    const PhoneProfile p730 = PhoneProfile::ForModel(PhoneModel::P730);
    const PhoneProfile e850 = PhoneProfile::ForModel(PhoneModel::E850);
    EXPECT_EQ(p730.StringTableSig, e850.StringTableSig);
    EXPECT_EQ(p730.StringTableSig.size(), 16u);
    EXPECT_NE(p730.ImageTableSig, e850.ImageTableSig);
    EXPECT_NE(p730.SoundTableSig, e850.SoundTableSig);
    EXPECT_EQ(p730.SoundEntryPad(), 12u);
    EXPECT_EQ(e850.SoundEntryPad(), 12u);

    const PhoneProfile c200 = PhoneProfile::ForModel(PhoneModel::C200);
    EXPECT_EQ(c200.ImageTableSig, HexBytes("1A 00 0E 00"));
    EXPECT_EQ(c200.SoundTableSig, HexBytes("00 00 00 00 00 8A 30 00"));
    EXPECT_EQ(c200.FlashStart(), 0u);
    EXPECT_EQ(c200.SoundEntryPad(), 0u);
    EXPECT_EQ(PhoneProfile::ForModel(PhoneModel::E710).StringTableSig,
              HexBytes("98 03 00 00 01 00"));
    EXPECT_EQ(PhoneProfile::ForModel(PhoneModel::X120).ImageTableSig, HexBytes("10 00 0E 00"));
    for (PhoneModel m : AllPhoneModels) {
        EXPECT_EQ(PhoneProfile::ForModel(m).JavaSizeOffset, 128u);
        EXPECT_EQ(PhoneProfile::ForModel(m).JavaTableMarker, "e:\\S100\\manager_");
        EXPECT_EQ(ModelFromComponentName(ModelComponentName(m)), m);
    }
    EXPECT_FALSE(ModelFromComponentName("COM41"));

    const PhoneProfile start = PhoneProfile::StartUp();
    EXPECT_EQ(start.SoundTableSig, HexBytes("00 8A 30 00"));
    EXPECT_EQ(start.ImageTableSig, c200.ImageTableSig);
    EXPECT_EQ(start.model, PhoneModel::C200);
}

TEST(Messages, DefaultTextsAreStoredByteForByte) {
    const Messages m;
    EXPECT_EQ(m.text(0), "Warning!");
    EXPECT_EQ(m.stored(20), "The line is ignored. \xB9");
    EXPECT_EQ(m.stored(21).back(), '\xB9');
    EXPECT_EQ(m.stored(7), "If you replace the Code Page, results of the previous search will be "
                           "lost. \r\r\nContinue?");
    ASSERT_EQ(m.stored(47).back(), '\0') << "message 47 keeps its trailing zero byte";
    EXPECT_EQ(m.text(47), "Total Memory: %1 byte In %3 memory Regions. Free Memory: %2 byte.");
    for (int i : {33, 37, 38, 39, 41})
        EXPECT_EQ(m.text(i).substr(m.text(i).size() - 2), ": ") << i;
}
