// tovallo-cli strings and free: text search, the firmware's languages and string tables, string
// edits through the replace table, and the free memory blocks.
#include "cli/CollectedDialogs.h"
#include "cli/Commands.h"

#include "resources/FreeSpaceSearch.h"
#include "srecord/PatchTable.h"
#include "strings/StringEditPlan.h"
#include "strings/StringsSession.h"
#include "strings/TextEncoding.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/SaveChanges.h"
#include "workspace/Workspace.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace tovallo::cli {

namespace {

using Json = nlohmann::ordered_json;

// The records as one JSON array, or one a line: the values of their fields from `first` on,
// joined by blanks (an empty last value, a string of no bytes, leaves no trailing blank).
void printRecords(const Json& records, bool json, size_t first = 0) {
    if (json) {
        std::cout << records.dump(2) << '\n';
        return;
    }
    for (const Json& record : records) {
        std::string line;
        size_t field = 0;
        for (const auto& [key, value] : record.items())
            if (field++ >= first)
                line += (line.empty() ? "" : " ") +
                        (value.is_string() ? value.get<std::string>() : value.dump());
        if (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::cout << line << '\n';
    }
}

struct FirmwareOptions {
    std::string firmware;
    PhoneModel model = PhoneModel::C200;
    bool json = false;
};

void addFirmwareOptions(CLI::App& command, FirmwareOptions& o, bool json) {
    command.add_option("FIRMWARE", o.firmware, "The firmware BIN file")->required();
    AddModelOption(command, o.model);
    if (json)
        command.add_flag("--json", o.json, "One JSON document instead of lines");
}

struct FindOptions : FirmwareOptions {
    std::string text;
    std::string hex;
    bool utf8 = false;
    std::optional<uint32_t> from;
    bool all = false;
};

void runFind(const FindOptions& o) {
    std::string pattern = o.hex.empty() ? Cp1251OrFail(o.text, "--text") : ParseHexBytes(o.hex);
    if (o.utf8)
        pattern = WinToUtf8(pattern);
    if (pattern.empty())
        fail("the search text is empty");
    if (pattern.size() > MaxPatternLength)
        fail("the search text is " + std::to_string(pattern.size()) +
             " bytes long; at most 64 bytes are searched");
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    ws.SearchPos = o.from.value_or(ws.profile.FlashStart());
    NullProgress bar;
    Json list = Json::array();
    while (const auto found = FindNextString(ws, pattern, false, o.utf8, bar)) {
        const auto size = static_cast<uint32_t>(found->Bytes.size());
        list.push_back({{"start", ToHexAddr(found->Start)},
                        {"stop", ToHexAddr(found->Start + size - 1u)},
                        {"size", size},
                        {"hex", ToHexBytes(found->Bytes)}});
        if (!o.all)
            break;
    }
    printRecords(list, o.json);
}

// Opens the firmware and runs Find Table; no signature fails the command.
void findTableOrFail(Workspace& ws, StringsSession& session, const FirmwareOptions& o,
                     bool detectDeleted) {
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    const Output quiet{true};
    CollectedDialogs dialogs(ws.messages, quiet);
    NullProgress bar;
    if (!session.FindTable(ws, dialogs, bar, detectDeleted))
        dialogs.failWithReport("the string table was not found");
}

int listNumber(LanguageList list) {
    return list == LanguageList::Messages ? 1 : 2;
}

struct LanguagesOptions : FirmwareOptions {
    bool deleted = false;
};

void runLanguages(const LanguagesOptions& o) {
    Workspace ws;
    StringsSession session;
    findTableOrFail(ws, session, o, o.deleted);
    Json list = Json::array();
    for (const LanguageEntry& e : session.languages.entries)
        list.push_back({{"entry", ToHexAddr(e.Offset)},
                        {"list", listNumber(e.List)},
                        {"text", LanguageItemText(e)}});
    printRecords(list, o.json);
}

struct TableOptions : FirmwareOptions {
    size_t language = 0;
};

void runTable(const TableOptions& o) {
    Workspace ws;
    StringsSession session;
    findTableOrFail(ws, session, o, false);
    const size_t count = session.languages.entries.size();
    if (o.language >= count)
        fail("there is no language " + std::to_string(o.language) + "; the string table lists " +
             std::to_string(count) + " (from 0)");
    const Output quiet{true};
    CollectedDialogs dialogs(ws.messages, quiet);
    const bool whole = session.SelectLanguage(ws, dialogs, o.language);
    Json list = Json::array();
    for (const StringTableRow& r : session.tableRows)
        list.push_back({{"row", list.size() + 1},
                        {"offset", ToHexAddr(r.Offset)},
                        {"slot", ToHexAddr(r.Slot)},
                        {"hex", ToHexBytes(r.Bytes)}});
    printRecords(list, o.json, 1);
    if (!whole)
        dialogs.failWithReport("the string table could not be read whole");
}

struct EditOptions : FirmwareOptions {
    bool findFree = false;
    std::vector<size_t> deletions;
    std::vector<std::string> strings, tableStrings;
    bool utf8 = false;
    bool eos = false;
    bool freeMemory = false;
    bool write = false;
    // The options as CLI11 made them, to take the strings in the order given.
    const CLI::Option* string = nullptr;
    const CLI::Option* tableString = nullptr;
};

// "ADDR=TEXT" and "N:R=TEXT", their numbers checked by the options' validators.
std::pair<std::string, std::string> splitAssignment(const std::string& text) {
    const auto eq = text.find('=');
    return {text.substr(0, eq), text.substr(eq + 1)};
}

std::optional<std::pair<uint32_t, uint32_t>> parseLanguageRow(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto language = ParseDecimal(text.substr(0, colon));
    const auto row = ParseDecimal(text.substr(colon + 1));
    if (!language || !row)
        return std::nullopt;
    return std::pair{*language, *row};
}

StringEditPlan planOf(const CLI::App& command, const EditOptions& o) {
    StringEditPlan plan;
    plan.findFreeSpace = o.findFree;
    plan.deleteLanguages = o.deletions;
    plan.utf8 = o.utf8;
    plan.endOfString = o.eos;
    plan.useFreeMemory = o.freeMemory;
    size_t strings = 0, tableStrings = 0;
    for (const CLI::Option* option : command.parse_order()) {
        PlannedString s;
        std::string given;
        if (option == o.string) {
            given = o.strings[strings++];
            const auto [addr, text] = splitAssignment(given);
            s.address = *ParseHexAddr(addr);
            s.text = text;
        } else if (option == o.tableString) {
            given = o.tableStrings[tableStrings++];
            const auto [where, text] = splitAssignment(given);
            const auto [language, row] = *parseLanguageRow(where);
            s.source = PlannedString::Source::TableRow;
            s.language = language;
            s.row = row;
            s.text = text;
        } else {
            continue;
        }
        s.text = Cp1251OrFail(s.text, option->get_name() + " " + given);
        plan.strings.push_back(std::move(s));
    }
    if (!plan.findFreeSpace && plan.deleteLanguages.empty() && plan.strings.empty())
        usage("give --find-free, --delete-language, --string or --table-string");
    return plan;
}

// The bytes each pending change writes, in the order Save All writes them (the strings, then the
// links; these edits queue nothing else).
Json changesOf(const PendingChanges& changes) {
    Json list = Json::array();
    const auto add = [&list](uint32_t addr, PatchKind kind, const std::string& bytes) {
        list.push_back({{"addr", ToHexAddr(addr)},
                        {"type", PatchKindName(kind)},
                        {"size", bytes.size()},
                        {"hex", ToHexBytes(bytes)}});
    };
    for (const Strings_& s : changes.StringChanges)
        add(s.Addr, PatchKind::String, s.Text);
    for (const Links_& l : changes.LinkChanges)
        add(l.Prefix != 0 ? l.Addr - 4 : l.Addr, PatchKind::AddrDim,
            LinkPatchBytes(l.Value, l.Prefix));
    return list;
}

Json regionsOf(const FreeRegions& regions) {
    Json list = Json::array();
    for (const FreeRegion& r : regions.regions())
        list.push_back({{"start", ToHexAddr(r.Start)},
                        {"size", r.Size},
                        {"used", r.Used},
                        {"reserved", r.Reserved}});
    return list;
}

void runEdit(const EditOptions& o, const StringEditPlan& plan, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, o.write);
    StringsSession session;
    const Output quiet{true};
    CollectedDialogs dialogs(ws.messages, quiet);
    NullProgress bar;
    if (!RunStringEditPlan(ws, session, plan, dialogs, bar))
        dialogs.failWithReport("the edits were refused");

    const Json changes = changesOf(ws.changes);
    if (o.json)
        std::cout << Json{{"changes", changes},
                          {"regions", regionsOf(session.freeRegions)},
                          {"status",
                           Cp1251ToUtf8(FreeMemoryStatusText(session.freeRegions, ws.messages))}}
                         .dump(2)
                  << '\n';
    else
        printRecords(changes, false);
    if (!o.write)
        return;
    const SaveSummary saved = SaveAllChanges(ws, dialogs);
    if (!saved)
        dialogs.failWithReport("the changes were not all written");
    const std::string report = "wrote " + std::to_string(saved.changes) + " change(s) (" +
                               std::to_string(saved.bytes) + " bytes) into " + o.firmware;
    // The report stays off stdout, which holds one JSON document.
    if (o.json && !out.quiet)
        std::cerr << report << '\n';
    else
        out.success(report);
}

// Find Free Space without its question.
FreeRegions freeBlocksOf(Workspace& ws, const FirmwareOptions& o) {
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    FreeRegions regions;
    NullProgress bar;
    ScanFreeBlocks(ws, bar, regions);
    return regions;
}

void runFreeRegions(const FirmwareOptions& o) {
    Workspace ws;
    printRecords(regionsOf(freeBlocksOf(ws, o)), o.json);
}

void runFreeStatus(const FirmwareOptions& o) {
    Workspace ws;
    const FreeRegions regions = freeBlocksOf(ws, o);
    std::cout << Cp1251ToUtf8(FreeMemoryStatusText(regions, ws.messages)) << '\n';
}

CLI::Validator assignmentCheck(const std::string& form, bool (*leftOk)(const std::string&)) {
    return CLI::Validator(
        [form, leftOk](const std::string& text) -> std::string {
            const auto eq = text.find('=');
            if (eq == std::string::npos || !leftOk(text.substr(0, eq)))
                return "needs " + form + ", not \"" + text + "\"";
            return {};
        },
        "", form);
}

void addEdit(CLI::App& strings, Output& out) {
    CLI::App* edit = AddCommand(strings, "edit",
                                "Replace strings through the replace table, delete languages; "
                                "prints the pending changes",
                                out);
    auto e = std::make_shared<EditOptions>();
    addFirmwareOptions(*edit, *e, true);
    edit->add_flag("--find-free", e->findFree, "Find Free Space first (the blocks in the file)");
    edit->add_option("--delete-language", e->deletions,
                     "Delete language N (from 0, in the order of \"strings languages\")")
        ->type_name("N")
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false);
    const auto repeated = [&edit](const char* name, std::vector<std::string>& values,
                                  const char* form, const char* description, CLI::Validator check) {
        return edit->add_option(name, values, description)
            ->type_name(form)
            ->expected(1)
            ->take_all()
            ->allow_extra_args(false)
            ->check(check);
    };
    e->string = repeated(
        "--string", e->strings, "ADDR=TEXT", "Replace the string starting at ADDR",
        assignmentCheck("ADDR=TEXT", [](const std::string& s) { return !!ParseHexAddr(s); }));
    e->tableString = repeated(
        "--table-string", e->tableStrings, "N:R=TEXT",
        "Replace row R (from 1) of language N's string table",
        assignmentCheck("N:R=TEXT", [](const std::string& s) { return !!parseLanguageRow(s); }));
    edit->add_flag("--utf8", e->utf8,
                   "Strings and replacements are the firmware's UTF-8 (every row)");
    edit->add_flag("--eos", e->eos, "End every replacement with the end-of-string zero");
    edit->add_flag("--free-memory", e->freeMemory,
                   "Place a longer table string in free memory and re-point its slot");
    edit->add_flag("--write", e->write, "Save the changes into the firmware");
    edit->callback([e, edit, &out] { runEdit(*e, planOf(*edit, *e), out); });
}

void addStrings(CLI::App& app, Output& out) {
    CLI::App* strings = AddCommandGroup(
        app, "strings", "Search strings, read the languages and their tables, replace strings");

    CLI::App* find =
        AddCommand(*strings, "find", "Search a string: START STOP SIZE HEX a match", out);
    auto f = std::make_shared<FindOptions>();
    addFirmwareOptions(*find, *f, true);
    CLI::Option* text = find->add_option("--text", f->text, "The text, stored as Windows-1251");
    CLI::Option* hex =
        find->add_option("--hex", f->hex, "The text's Windows-1251 bytes")->check(HexBytesText());
    hex->excludes(text);
    find->add_flag("--utf8", f->utf8, "Search and cut the string as the firmware's UTF-8");
    find->add_option("--from", f->from, "Start address (default: the flash start)")
        ->type_name("ADDR")
        ->transform(AddressText());
    find->add_flag("--all", f->all, "Every match, not only the first");
    find->callback([f, text, hex] {
        if (text->empty() && hex->empty())
            usage("give either --text TEXT or --hex BYTES");
        runFind(*f);
    });

    CLI::App* languages = AddCommand(*strings, "languages",
                                     "The language entries: ENTRY LIST ITEM (list 1 or 2)", out);
    auto l = std::make_shared<LanguagesOptions>();
    addFirmwareOptions(*languages, *l, true);
    languages->add_flag("--deleted", l->deleted,
                        "List a language whose table is a free block as \"Deleted\"");
    languages->callback([l] { runLanguages(*l); });

    CLI::App* table =
        AddCommand(*strings, "table", "A language's strings: OFFSET SLOT HEX a row", out);
    auto t = std::make_shared<TableOptions>();
    addFirmwareOptions(*table, *t, true);
    table->add_option("--lang", t->language, "The language, from 0 in \"strings languages\" order")
        ->type_name("N")
        ->required();
    table->callback([t] { runTable(*t); });

    addEdit(*strings, out);
}

void addFree(CLI::App& app, Output& out) {
    CLI::App* free = AddCommandGroup(app, "free", "The firmware's free memory blocks");
    CLI::App* regions =
        AddCommand(*free, "regions", "The free blocks: START SIZE USED RESERVED", out);
    auto r = std::make_shared<FirmwareOptions>();
    addFirmwareOptions(*regions, *r, true);
    regions->callback([r] { runFreeRegions(*r); });

    CLI::App* status = AddCommand(*free, "status", "Total and free bytes of the free blocks", out);
    auto s = std::make_shared<FirmwareOptions>();
    addFirmwareOptions(*status, *s, false);
    status->callback([s] { runFreeStatus(*s); });
}

} // namespace

void AddStringCommands(CLI::App& app, Output& out) {
    addStrings(app, out);
    addFree(app, out);
}

} // namespace tovallo::cli
