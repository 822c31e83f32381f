#include "resources/survey/ResourceSurvey.h"

#include "images/FirmwareImageTable.h"
#include "media/SoundDiscovery.h"
#include "resources/FreeRegions.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/MultiPatternSearch.h"
#include "workspace/Workspace.h"

namespace tovallo {

namespace {

constexpr const char* KindNames[SurveyKindCount] = {"strings", "pictures", "sounds", "java"};

// The offset a table's reader starts from, for a pattern found at `match`.
// Matches lie below the firmware's size, under 2 GiB, so the sums stay inside 32 bits.
uint32_t TableOffset(SurveyKind kind, uint32_t match, const PhoneProfile& profile) {
    switch (kind) {
    case SurveyKind::Strings:
        return match;
    case SurveyKind::Pictures:
    case SurveyKind::Sounds:
        return match + 8;
    case SurveyKind::Java:
        return match + profile.JavaSizeOffset + 8;
    }
    return match;
}

// Reads the table as its tab's own read does; returns the rows read.
size_t ReadTable(Workspace& ws, Dialogs& dialogs, Progress& bar, FreeRegions& regions,
                 SurveyedTable& table, SurveyResult& result) {
    switch (table.Kind) {
    case SurveyKind::Strings: {
        // The language scan resumes from the search position, which the text search keeps.
        const uint32_t searchPos = ws.SearchPos;
        const int64_t singleByteMatch = ws.lastSingleByteMatch;
        ws.SearchPos = table.Match;
        LanguageEntries& languages = result.languages.emplace();
        ScanLanguageEntries(ws, bar, true, languages, regions);
        ws.SearchPos = searchPos;
        ws.lastSingleByteMatch = singleByteMatch;
        return languages.entries.size();
    }
    case SurveyKind::Pictures: {
        result.pictureTable = table.Table;
        auto read = ReadImageTable(ws, table.Table, dialogs);
        if (!read)
            return 0;
        result.pictures = std::move(read->rows);
        return result.pictures->size();
    }
    case SurveyKind::Sounds: {
        std::string& text = result.soundTableText.emplace(ToHexAddr(table.Table));
        SoundList list;
        if (!ReadSoundsTableAt(ws, text, list, dialogs))
            return 0;
        result.sounds = std::move(list);
        return result.sounds->size();
    }
    case SurveyKind::Java:
        result.java = ReadJavaTable(ws, table.Table);
        return result.java->size();
    }
    return 0;
}

} // namespace

const char* SurveyKindName(SurveyKind kind) {
    return KindNames[static_cast<size_t>(kind)];
}

std::optional<SurveyKind> SurveyKindFromName(const std::string& name) {
    for (size_t k = 0; k < SurveyKindCount; ++k)
        if (name == KindNames[k])
            return static_cast<SurveyKind>(k);
    return std::nullopt;
}

int SurveyQuestion(SurveyKind kind) {
    switch (kind) {
    case SurveyKind::Strings:
        return msg::StringTableFound;
    case SurveyKind::Pictures:
        return msg::PictureTableFound;
    case SurveyKind::Sounds:
        return msg::SoundTableFound;
    case SurveyKind::Java:
        return msg::JavaTableFound;
    }
    return msg::StringTableFound;
}

std::array<std::string, SurveyKindCount> SurveyPatterns(const PhoneProfile& profile) {
    return {profile.StringTableSig, ImageTablePattern(profile.ImageTableSig), profile.SoundTableSig,
            profile.JavaTableMarker};
}

const SurveyedTable* SurveyResult::find(SurveyKind kind) const {
    for (const SurveyedTable& t : tables)
        if (t.Kind == kind)
            return &t;
    return nullptr;
}

SurveyResult FindAllResources(Workspace& ws, Dialogs& dialogs, Progress& bar,
                              FreeRegions& regions) {
    SurveyResult result;
    if (!ws.FwIsOpen())
        return result;
    const auto all = SurveyPatterns(ws.profile);
    // A pattern found is emptied, which leaves it out of the later rounds.
    std::vector<std::string> patterns(all.begin(), all.end());
    uint32_t start = ws.profile.FlashStart();
    for (size_t round = 0; round < SurveyKindCount; ++round) {
        const AnyMatch match = FindAnyInFirmware(ws, patterns, start, bar);
        if (!match.found())
            break;
        patterns[static_cast<size_t>(match.Index)].clear();
        SurveyedTable table;
        table.Kind = static_cast<SurveyKind>(match.Index);
        table.Match = static_cast<uint32_t>(match.Offset);
        table.Table = TableOffset(table.Kind, table.Match, ws.profile);
        table.Read = dialogs.ask(SurveyQuestion(table.Kind));
        if (table.Read)
            table.Rows = ReadTable(ws, dialogs, bar, regions, table, result);
        result.tables.push_back(table);
        start = table.Match + 4;
    }
    dialogs.inform(msg::SearchCompleted);
    return result;
}

} // namespace tovallo
