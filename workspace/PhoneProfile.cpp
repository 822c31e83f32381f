#include "workspace/PhoneProfile.h"

#include <algorithm>
#include <cctype>

namespace tovallo {

namespace {

using namespace std::string_literals;

const std::string JavaMarker = "e:\\S100\\manager_";
const std::string FontSpace = "FONT_SPACE"s + std::string(6, '\0');

struct ModelRow {
    PhoneModel model;
    const char* caption;
    const char* component;
    const char* cliName;
    std::string imageSig, stringSig, soundSig;
    Rgb24 transparent;
};

const std::array<ModelRow, 6>& rows() {
    static const std::array<ModelRow, 6> table = {{
        {PhoneModel::C200, "C200 (C210)", "C2001", "C200", "\x1A\x00\x0E\x00"s, "\xF3\x03\x00\x00"s,
         "\x00\x00\x00\x00\x00\x8A\x30\x00"s, 0x080000},
        {PhoneModel::X120, "X120", "X1201", "X120", "\x10\x00\x0E\x00"s, "\x42\x6F\x00\x00"s,
         "\x00\x00\x00\x8A\x30\x00\x00\x00"s, 0x080000},
        {PhoneModel::P730, "P730", "P7301", "P730", "\x1A\x00\x12\x00"s, FontSpace,
         "\x8A\x30\x00\x00\x00\x00\x00\x00"s, 0x080000},
        {PhoneModel::E720, "E720", "E7201", "E720", "\xB0\x00\x2E\x00"s,
         "1200\0"s
         "2400\0"s
         "4800\0"s
         "9600\0"s,
         "\x00\x00\x8A\x30\x00\x00\x00\x00"s, 0xFF00FF},
        {PhoneModel::E710, "E710", "E7101", "E710", "\x80\x00\x17\x00"s,
         "\x98\x03\x00\x00\x01\x00"s, "\x00\x00\x00\x00\x00\x8A\x30\x00"s, 0x080000},
        {PhoneModel::E850, "E850", "E8501", "E850", "\x80\x00\x17\x00"s, FontSpace,
         "\x08\xB1\x7A\x00\x00\x00\x00\x00"s, 0x080000},
    }};
    return table;
}

const ModelRow& rowOf(PhoneModel model) {
    return *std::find_if(rows().begin(), rows().end(),
                         [model](const ModelRow& r) { return r.model == model; });
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

uint32_t PhoneProfile::SoundEntryPad() const {
    switch (model) {
    case PhoneModel::P730:
    case PhoneModel::E850:
        return 12;
    case PhoneModel::E720:
        return 44;
    default:
        return 0;
    }
}

PhoneProfile PhoneProfile::ForModel(PhoneModel model) {
    const ModelRow& row = rowOf(model);
    PhoneProfile p;
    p.model = model;
    p.ImageTableSig = row.imageSig;
    p.StringTableSig = row.stringSig;
    p.SoundTableSig = row.soundSig;
    p.JavaSizeOffset = 128;
    p.TransparentColor = row.transparent;
    p.JavaTableMarker = JavaMarker;
    return p;
}

PhoneProfile PhoneProfile::StartUp() {
    PhoneProfile p = ForModel(PhoneModel::C200);
    p.SoundTableSig = "\x00\x8A\x30\x00"s;
    return p;
}

std::string ModelCaption(PhoneModel model) {
    return rowOf(model).caption;
}
std::string ModelComponentName(PhoneModel model) {
    return rowOf(model).component;
}
std::string ModelCliName(PhoneModel model) {
    return rowOf(model).cliName;
}

std::optional<PhoneModel> ModelFromComponentName(const std::string& name) {
    for (const ModelRow& r : rows())
        if (name == r.component)
            return r.model;
    return std::nullopt;
}

std::optional<PhoneModel> ModelFromCliName(const std::string& name) {
    const std::string wanted = upper(name);
    for (const ModelRow& r : rows())
        if (wanted == r.cliName || wanted == upper(r.component))
            return r.model;
    return std::nullopt;
}

} // namespace tovallo
