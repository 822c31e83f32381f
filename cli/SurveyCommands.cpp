// tovallo-cli find-any, survey and anim save: the multi-pattern search, Find All Resources, and the
// animation editor's series of BMP files.
#include "cli/CollectedDialogs.h"
#include "cli/Commands.h"

#include "images/AnimationFrames.h"
#include "images/ImageType.h"
#include "resources/FreeRegions.h"
#include "resources/survey/ResourceSurvey.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/MultiPatternSearch.h"
#include "workspace/Workspace.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <memory>

namespace tovallo::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr size_t MaxFindAnyPatterns = 16;

struct FindAnyOptions {
    std::string firmware;
    std::vector<std::string> hex;
    PhoneModel model = PhoneModel::C200;
    std::optional<uint32_t> from;
    bool all = false;
};

void runFindAny(const FindAnyOptions& o) {
    if (o.hex.size() > MaxFindAnyPatterns)
        usage("at most 16 patterns are searched at once, not " + std::to_string(o.hex.size()));
    std::vector<std::string> patterns;
    for (const std::string& text : o.hex) {
        patterns.push_back(ParseHexBytes(text));
        const size_t size = patterns.back().size();
        if (size < 1 || size > MaxPatternLength)
            fail("pattern " + std::to_string(patterns.size() - 1) + " is " + std::to_string(size) +
                 " bytes long; patterns of 1-64 bytes are searched");
    }
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    NullProgress bar;
    uint32_t start = o.from.value_or(ws.profile.FlashStart());
    for (;;) {
        const AnyMatch match = FindAnyInFirmware(ws, patterns, start, bar);
        if (!match.found())
            break;
        std::cout << ToHexAddr(static_cast<uint32_t>(match.Offset)) << ' ' << match.Index << '\n';
        if (!o.all)
            break;
        start = static_cast<uint32_t>(match.Offset) + 1;
    }
}

struct SurveyOptions {
    std::string firmware;
    PhoneModel model = PhoneModel::C200;
    std::vector<std::string> skip;
    bool json = false;
};

int listNumber(LanguageList list) {
    return list == LanguageList::Messages ? 1 : 2;
}

// The rows of a table as the survey read them into its tab.
Json rowsOf(SurveyKind kind, const SurveyResult& r) {
    Json rows = Json::array();
    switch (kind) {
    case SurveyKind::Strings:
        if (r.languages)
            for (const LanguageEntry& e : r.languages->entries)
                rows.push_back({{"entry", ToHexAddr(e.Offset)},
                                {"list", listNumber(e.List)},
                                {"item", LanguageItemText(e)}});
        break;
    case SurveyKind::Pictures:
        if (r.pictures)
            for (const FoundPicture& p : *r.pictures)
                rows.push_back(
                    {{"address", p.addressText()}, {"width", p.Width}, {"height", p.Height}});
        break;
    case SurveyKind::Sounds:
        if (r.sounds)
            for (size_t i = 0; i < r.sounds->size(); ++i) {
                const SoundRow& s = r.sounds->rows[i];
                rows.push_back({{"name", Cp1251ToUtf8(s.Name)},
                                {"address", ToHexAddr(s.Addr)},
                                {"size", s.Size},
                                {"link", ToHexAddr(r.sounds->linkOf(i))}});
            }
        break;
    case SurveyKind::Java:
        if (r.java)
            for (size_t i = 0; i < r.java->size(); ++i) {
                const JavaRow& j = r.java->rows[i];
                rows.push_back({{"name", Cp1251ToUtf8(j.Shown)},
                                {"address", ToHexAddr(j.Addr)},
                                {"size", j.Size},
                                {"entry", ToHexAddr(r.java->JavaEntries[i])}});
            }
        break;
    }
    return rows;
}

void printSurveyJson(const SurveyResult& r, const FreeRegions& regions) {
    Json tables = Json::array();
    for (const SurveyedTable& t : r.tables)
        tables.push_back(
            {{"kind", SurveyKindName(t.Kind)},
             {"match", ToHexAddr(t.Match)},
             {"table", ToHexAddr(t.Table)},
             {"read", t.Read},
             {t.Kind == SurveyKind::Strings ? "languages" : "rows", rowsOf(t.Kind, r)}});
    Json blocks = Json::array();
    for (const FreeRegion& f : regions.regions())
        blocks.push_back({{"start", ToHexAddr(f.Start)}, {"size", f.Size}, {"used", f.Used}});
    std::cout << Json{{"tables", tables}, {"free_regions", blocks}}.dump(2) << '\n';
}

void runSurvey(const SurveyOptions& o, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    CollectedDialogs dialogs(ws.messages, out);
    dialogs.answer = [&o](int message) {
        for (size_t k = 0; k < SurveyKindCount; ++k) {
            const auto kind = static_cast<SurveyKind>(k);
            if (SurveyQuestion(kind) == message)
                return std::find(o.skip.begin(), o.skip.end(), SurveyKindName(kind)) ==
                       o.skip.end();
        }
        return false;
    };
    NullProgress bar;
    FreeRegions regions;
    const SurveyResult r = FindAllResources(ws, dialogs, bar, regions);
    if (o.json) {
        printSurveyJson(r, regions);
    } else {
        for (const SurveyedTable& t : r.tables)
            std::cout << ToHexAddr(t.Match) << ' ' << SurveyKindName(t.Kind) << ' '
                      << ToHexAddr(t.Table) << ' '
                      << (t.Read ? std::to_string(t.Rows) : std::string("skipped")) << '\n';
        for (const FreeRegion& f : regions.regions())
            std::cout << ToHexAddr(f.Start) << " free " << f.Size << ' ' << f.Used << '\n';
    }
    // A table cut by the end of the file keeps the rows read; its reader's message is a warning.
    for (const std::string& report : dialogs.reports)
        std::cerr << "warning: " << report << '\n';
}

struct AnimOptions {
    std::vector<std::string> frames;
    std::string output;
    bool diff = false;
    std::optional<std::string> size;
    PhoneModel model = PhoneModel::C200;
};

// "WxH" within a frame: a width of 1-320 and a height of 1-240.
std::optional<std::pair<int, int>> parseAnimationSize(std::string text) {
    std::replace(text.begin(), text.end(), 'x', '*');
    std::replace(text.begin(), text.end(), 'X', '*');
    const auto dim = ParseDimensionText(text);
    if (!dim || dim->first < 1 || dim->first > AnimationFrameWidth || dim->second < 1 ||
        dim->second > AnimationFrameHeight)
        return std::nullopt;
    return dim;
}

void runAnimSave(const AnimOptions& o, const Output& out) {
    AnimationFrames animation;
    animation.Compression = o.diff;
    animation.AutoSize = !o.size;
    std::string error;
    if (!AddFrameFiles(animation, o.frames, error))
        fail(error);
    if (o.size) {
        const auto [w, h] = *parseAnimationSize(*o.size);
        animation.setSize(w, h);
    }
    Workspace ws;
    ws.SelectModel(o.model);
    CollectedDialogs dialogs(ws.messages, out);
    const std::vector<std::string> written = SaveAnimation(ws, animation, o.output, dialogs);
    if (written.empty())
        dialogs.failWithReport("no frame was written");
    for (const std::string& path : written)
        std::cout << path << '\n';
}

void addFindAny(CLI::App& app, Output& out) {
    CLI::App* command = AddCommand(
        app, "find-any", "The first place where one of several patterns lies: ADDR INDEX", out);
    auto o = std::make_shared<FindAnyOptions>();
    command->add_option("FIRMWARE", o->firmware, "The firmware BIN file")->required();
    command
        ->add_option("--hex", o->hex,
                     "A pattern of 1-64 bytes; repeat for up to 16 (INDEX counts them from 0)")
        ->type_name("HEX")
        ->required()
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false)
        ->check(HexBytesText());
    command->add_option("--from", o->from, "Start address (default: the flash start)")
        ->type_name("ADDR")
        ->transform(AddressText());
    command->add_flag("--all", o->all, "Every match, each search from the previous match + 1");
    AddModelOption(*command, o->model);
    command->callback([o] { runFindAny(*o); });
}

void addSurvey(CLI::App& app, Output& out) {
    CLI::App* command =
        AddCommand(app, "survey",
                   "Find All Resources: MATCH KIND TABLE ROWS a table, then the free blocks", out);
    auto o = std::make_shared<SurveyOptions>();
    command->add_option("FIRMWARE", o->firmware, "The firmware BIN file")->required();
    AddModelOption(*command, o->model);
    const CLI::Validator kindName(
        [](const std::string& text) -> std::string {
            return SurveyKindFromName(text)
                       ? std::string()
                       : "\"" + text + "\" is none of strings, pictures, sounds, java";
        },
        "", "kind");
    command->add_option("--skip", o->skip, "Answer No for this table; repeat for more")
        ->type_name("strings|pictures|sounds|java")
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false)
        ->check(kindName);
    command->add_flag("--json", o->json, "One JSON document with the rows read");
    command->callback([o, &out] { runSurvey(*o, out); });
}

void addAnim(CLI::App& app, Output& out) {
    CLI::App* anim = AddCommandGroup(app, "anim", "The animation editor's frames");
    CLI::App* save = AddCommand(
        *anim, "save", "Add each BMP file as a frame, save NAME_0.bmp ...; prints each file", out);
    auto o = std::make_shared<AnimOptions>();
    save->add_option("FRAME.bmp", o->frames, "The frames' BMP files, in order")->required();
    save->add_option("--out", o->output, "NAME.bmp: the series is NAME_0.bmp, NAME_1.bmp ...")
        ->type_name("NAME.bmp")
        ->required();
    save->add_flag("--diff", o->diff,
                   "Enable compression: pixels unchanged since the previous frame become the "
                   "model's transparent colour");
    const CLI::Validator sizeText(
        [](const std::string& text) -> std::string {
            return parseAnimationSize(text)
                       ? std::string()
                       : "\"" + text + "\" is not WxH with a width of 1-320 and a height of 1-240";
        },
        "", "size");
    save->add_option("--size", o->size, "Cut the frames to WxH (default: the largest picture)")
        ->type_name("WxH")
        ->check(sizeText);
    AddModelOption(*save, o->model);
    save->callback([o, &out] { runAnimSave(*o, out); });
}

} // namespace

void AddSurveyCommands(CLI::App& app, Output& out) {
    addFindAny(app, out);
    addSurvey(app, out);
    addAnim(app, out);
}

} // namespace tovallo::cli
