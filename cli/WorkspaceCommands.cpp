// Commands on the firmware workspace: models, find, links, text.
#include "cli/Commands.h"

#include "strings/TextEncoding.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/Workspace.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace tovallo::cli {

namespace {

std::string colourText(Rgb24 c) {
    std::string hex = ToHexAddr(c);
    return "0x" + hex.substr(4);
}

void runModels(bool json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (PhoneModel model : AllPhoneModels) {
        const PhoneProfile p = PhoneProfile::ForModel(model);
        if (json) {
            list.push_back({{"model", ModelCliName(model)},
                            {"menuItem", ModelComponentName(model)},
                            {"caption", ModelCaption(model)},
                            {"ImageTableSig", ToHexBytes(p.ImageTableSig)},
                            {"StringTableSig", ToHexBytes(p.StringTableSig)},
                            {"SoundTableSig", ToHexBytes(p.SoundTableSig)},
                            {"TransparentColor", colourText(p.TransparentColor)},
                            {"FlashStart", ToHexAddr(p.FlashStart())},
                            {"SoundEntryPad", p.SoundEntryPad()},
                            {"JavaSizeOffset", p.JavaSizeOffset}});
            continue;
        }
        std::cout << ModelCliName(model) << '\t' << ModelComponentName(model) << '\t'
                  << ModelCaption(model) << "\tImageTableSig=" << ToHexBytes(p.ImageTableSig)
                  << "\tStringTableSig=" << ToHexBytes(p.StringTableSig)
                  << "\tSoundTableSig=" << ToHexBytes(p.SoundTableSig)
                  << "\tTransparentColor=" << colourText(p.TransparentColor)
                  << "\tFlashStart=" << ToHexAddr(p.FlashStart())
                  << "\tSoundEntryPad=" << p.SoundEntryPad()
                  << "\tJavaSizeOffset=" << p.JavaSizeOffset << '\n';
    }
    if (json)
        std::cout << list.dump(2) << '\n';
}

struct FindOptions {
    std::string firmware;
    std::string hex;
    std::string text;
    bool utf8 = false;
    PhoneModel model = PhoneModel::C200;
    std::optional<uint32_t> from;
    bool all = false;
};

void runFind(const FindOptions& o) {
    std::string pattern = o.hex.empty() ? Cp1251OrFail(o.text, "--text") : ParseHexBytes(o.hex);
    if (o.utf8)
        pattern = WinToUtf8(pattern);
    if (pattern.empty())
        usage("the pattern is empty");
    if (pattern.size() > MaxPatternLength)
        fail("the pattern is " + std::to_string(pattern.size()) +
             " bytes long; at most 64 bytes are searched");

    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    ws.SearchPos = o.from.value_or(ws.profile.FlashStart());
    NullProgress bar;
    for (;;) {
        const int64_t at = FindInFirmware(ws, pattern, false, bar);
        if (at < 0)
            break;
        std::cout << ToHexAddr(static_cast<uint32_t>(at)) << '\n';
        if (!o.all)
            break;
    }
}

struct LinksOptions {
    std::string firmware;
    uint32_t value = 0;
    PhoneModel model = PhoneModel::C200;
    uint32_t max = LinkResultsCapacity;
};

void runLinks(const LinksOptions& o) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    NullProgress bar;
    for (uint32_t at : FindLinks(ws, o.value, bar, o.max, ws.profile.FlashStart()))
        std::cout << ToHexAddr(at) << '\n';
}

void addText(CLI::App& app, Output& out) {
    CLI::App* text =
        AddCommandGroup(app, "text", "Convert bytes between Windows-1251 and the firmware's UTF-8");
    const auto direction = [&out, text](const char* name, const char* description,
                                        std::string (*convert)(const std::string&)) {
        CLI::App* command = AddCommand(*text, name, description, out);
        auto bytes = std::make_shared<std::string>();
        command->add_option("HEXBYTES", *bytes, "The bytes, such as \"CF F0 E8\"")
            ->required()
            ->check(HexBytesText());
        command->callback(
            [bytes, convert] { std::cout << ToHexBytes(convert(ParseHexBytes(*bytes))) << '\n'; });
    };
    direction("to-utf8", "Windows-1251 bytes to the firmware's UTF-8", &WinToUtf8);
    direction("from-utf8", "The firmware's UTF-8 bytes to Windows-1251", &Utf8ToWin);
}

} // namespace

void AddWorkspaceCommands(CLI::App& app, Output& out) {
    CLI::App* models = AddCommand(app, "models", "The six phone profiles and their values", out);
    auto json = std::make_shared<bool>(false);
    models->add_flag("--json", *json, "One JSON array of the profiles");
    models->callback([json] { runModels(*json); });

    CLI::App* find = AddCommand(app, "find", "Search the firmware for bytes or a text", out);
    auto f = std::make_shared<FindOptions>();
    find->add_option("FIRMWARE", f->firmware, "The firmware BIN file")->required();
    CLI::Option* hex =
        find->add_option("--hex", f->hex, "The bytes, such as \"41 42 00\"")->check(HexBytesText());
    CLI::Option* text = find->add_option("--text", f->text, "A text, stored as Windows-1251");
    hex->excludes(text);
    find->add_flag("--utf8", f->utf8, "Search the text or bytes as the firmware's UTF-8");
    AddModelOption(*find, f->model);
    find->add_option("--from", f->from, "Start address (default: the flash start)")
        ->type_name("ADDR")
        ->transform(AddressText());
    find->add_flag("--all", f->all, "Every match, not only the first");
    find->callback([f, hex, text] {
        if (hex->empty() && text->empty())
            usage("give either --hex BYTES or --text TEXT");
        runFind(*f);
    });

    CLI::App* links = AddCommand(app, "links", "Places in the firmware that hold a value", out);
    auto l = std::make_shared<LinksOptions>();
    links->add_option("FIRMWARE", l->firmware, "The firmware BIN file")->required();
    links->add_option("VALUE", l->value, "The 32-bit value, such as 0x0003F304")
        ->required()
        ->type_name("ADDR")
        ->transform(AddressText());
    AddModelOption(*links, l->model);
    links->add_option("--max", l->max, "At most this many places")
        ->type_name("N")
        ->transform(AddressText());
    links->callback([l] { runLinks(*l); });

    addText(app, out);
}

} // namespace tovallo::cli
