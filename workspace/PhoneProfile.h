#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tovallo {

// Red in bits 0-7, green in 8-15, blue in 16-23.
using Rgb24 = uint32_t;

enum class PhoneModel { C200, X120, P730, E720, E710, E850 };

inline constexpr std::array<PhoneModel, 6> AllPhoneModels = {PhoneModel::C200, PhoneModel::X120,
                                                             PhoneModel::P730, PhoneModel::E720,
                                                             PhoneModel::E710, PhoneModel::E850};

// The per-model values the finders need. Signatures are counted byte strings: zero bytes count.
struct PhoneProfile {
    PhoneModel model = PhoneModel::C200;
    std::string ImageTableSig;
    std::string StringTableSig;
    std::string SoundTableSig;
    uint32_t JavaSizeOffset = 128;
    Rgb24 TransparentColor = 0x080000;
    std::string JavaTableMarker;

    uint32_t FlashStart() const { return model == PhoneModel::E720 ? 0x20000000u : 0u; }
    uint32_t SoundEntryPad() const;

    // The values a model sets when it is chosen.
    static PhoneProfile ForModel(PhoneModel model);
    // The values before any model was chosen (C200 checked, the 4-byte sound signature).
    static PhoneProfile StartUp();
};

// "C200 (C210)", "X120", ...
std::string ModelCaption(PhoneModel model);
// The menu item's component name: "C2001", "X1201", ...
std::string ModelComponentName(PhoneModel model);
std::optional<PhoneModel> ModelFromComponentName(const std::string& name);
// The command-line spelling: C200, X120, P730, E720, E710, E850 (any case).
std::optional<PhoneModel> ModelFromCliName(const std::string& name);
std::string ModelCliName(PhoneModel model);

} // namespace tovallo
