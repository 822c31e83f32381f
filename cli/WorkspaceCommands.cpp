// Commands on the firmware workspace: models, find, links, text.
#include "cli/CliSupport.h"

#include "strings/TextEncoding.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/Workspace.h"

#include <iostream>

namespace tovallo::cli {

namespace {

std::string colourText(Rgb24 c) {
    std::string hex = ToHexAddr(c);
    return "0x" + hex.substr(4);
}

int runModels(const std::vector<std::string>& words) {
    const Args args(words, {});
    args.allowOnly({"json"});
    const bool json = args.flag("json");
    if (json)
        std::cout << "[\n";
    for (size_t i = 0; i < AllPhoneModels.size(); ++i) {
        const PhoneProfile p = PhoneProfile::ForModel(AllPhoneModels[i]);
        const std::string name = ModelCliName(p.model);
        if (json) {
            std::cout << "  {\"model\": \"" << name << "\", \"menuItem\": \""
                      << ModelComponentName(p.model) << "\", \"caption\": \""
                      << ModelCaption(p.model) << "\", \"ImageTableSig\": \""
                      << ToHexBytes(p.ImageTableSig) << "\", \"StringTableSig\": \""
                      << ToHexBytes(p.StringTableSig) << "\", \"SoundTableSig\": \""
                      << ToHexBytes(p.SoundTableSig) << "\", \"TransparentColor\": \""
                      << colourText(p.TransparentColor) << "\", \"FlashStart\": \""
                      << ToHexAddr(p.FlashStart()) << "\", \"SoundEntryPad\": " << p.SoundEntryPad()
                      << ", \"JavaSizeOffset\": " << p.JavaSizeOffset << "}"
                      << (i + 1 < AllPhoneModels.size() ? "," : "") << '\n';
        } else {
            std::cout << name << '\t' << ModelComponentName(p.model) << '\t'
                      << ModelCaption(p.model) << "\tImageTableSig=" << ToHexBytes(p.ImageTableSig)
                      << "\tStringTableSig=" << ToHexBytes(p.StringTableSig)
                      << "\tSoundTableSig=" << ToHexBytes(p.SoundTableSig)
                      << "\tTransparentColor=" << colourText(p.TransparentColor)
                      << "\tFlashStart=" << ToHexAddr(p.FlashStart())
                      << "\tSoundEntryPad=" << p.SoundEntryPad()
                      << "\tJavaSizeOffset=" << p.JavaSizeOffset << '\n';
        }
    }
    if (json)
        std::cout << "]\n";
    return 0;
}

int runFind(const std::vector<std::string>& words) {
    const Args args(words, {"hex", "text", "model", "from"});
    args.allowOnly({"hex", "text", "utf8", "model", "from", "all"});
    const std::string& path = args.at(0, "FIRMWARE");
    std::string pattern;
    if (args.value("hex") && !args.value("text"))
        pattern = ParseHexBytes(*args.value("hex"));
    else if (args.value("text") && !args.value("hex"))
        pattern = Utf8ToCp1251(*args.value("text"));
    else
        usage("give either --hex BYTES or --text TEXT");
    if (args.flag("utf8"))
        pattern = WinToUtf8(pattern);
    if (pattern.size() > MaxPatternLength)
        fail("the pattern is " + std::to_string(pattern.size()) +
             " bytes long; at most 64 bytes are searched");

    Workspace ws;
    OpenFirmwareOrFail(ws, path, ParseModel(args.value("model")), false);
    ws.SearchPos =
        args.value("from") ? ParseNumber(*args.value("from"), "--from") : ws.profile.FlashStart();
    NullProgress bar;
    int found = 0;
    for (;;) {
        const int64_t at = FindInFirmware(ws, pattern, false, bar);
        if (at < 0)
            break;
        std::cout << ToHexAddr(static_cast<uint32_t>(at)) << '\n';
        ++found;
        if (!args.flag("all"))
            break;
    }
    return 0;
}

int runLinks(const std::vector<std::string>& words) {
    const Args args(words, {"model", "max"});
    args.allowOnly({"model", "max"});
    const std::string& path = args.at(0, "FIRMWARE");
    const uint32_t value = ParseNumber(args.at(1, "VALUE"), "VALUE");
    const size_t max =
        args.value("max") ? ParseNumber(*args.value("max"), "--max") : LinkResultsCapacity;
    Workspace ws;
    OpenFirmwareOrFail(ws, path, ParseModel(args.value("model")), false);
    NullProgress bar;
    for (uint32_t at : FindLinks(ws, value, bar, max, ws.profile.FlashStart()))
        std::cout << ToHexAddr(at) << '\n';
    return 0;
}

int runText(const std::vector<std::string>& words) {
    const Args args(words, {});
    args.allowOnly({});
    const std::string& direction = args.at(0, "to-utf8 or from-utf8");
    const std::string bytes = ParseHexBytes(args.at(1, "HEXBYTES"));
    if (direction == "to-utf8")
        std::cout << ToHexBytes(WinToUtf8(bytes)) << '\n';
    else if (direction == "from-utf8")
        std::cout << ToHexBytes(Utf8ToWin(bytes)) << '\n';
    else
        usage("the direction is to-utf8 or from-utf8, not \"" + direction + "\"");
    return 0;
}

const CommandRegistration models{"models", "models [--json]", &runModels};
const CommandRegistration find{
    "find",
    "find FIRMWARE (--hex \"41 42 00\" | --text TEXT [--utf8]) [--model M] [--from ADDR] [--all]",
    &runFind};
const CommandRegistration links{"links", "links FIRMWARE VALUE [--model M] [--max N]", &runLinks};
const CommandRegistration text{"text", "text to-utf8|from-utf8 HEXBYTES", &runText};

} // namespace

} // namespace tovallo::cli
