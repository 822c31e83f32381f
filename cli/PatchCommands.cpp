// patch / apply / undo: pending changes given on the command line, written as S3 patch files or
// into the firmware; the undo file of a save that did not finish, shown or rolled back.
#include "cli/Commands.h"

#include "srecord/PatchTable.h"
#include "srecord/PatchWriter.h"

#include "strings/Cp1251.h"
#include "strings/TextEncoding.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/SaveChanges.h"
#include "workspace/Settings.h"
#include "workspace/UndoFile.h"
#include "workspace/Workspace.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace tovallo::cli {

namespace {

// A change as given on the command line: --string (with its --utf8 and --eos), --file or --link.
struct Change {
    enum Kind { String, File, Link } kind;
    uint32_t addr = 0;
    std::string value; // Windows-1251 text, a file name, or VALUE[:PREFIX]
    bool utf8 = false;
    bool eos = false;
};

struct ChangeOptions {
    std::string firmware;
    std::string output;                 // patch
    std::optional<std::string> restore; // patch
    PhoneModel model = PhoneModel::C200;
    bool separate = false; // patch
    bool yes = false;      // patch
    bool write = false;    // apply
    std::vector<std::string> strings, files, links;
    // The options as CLI11 made them, to read the changes in the order given.
    const CLI::Option* string = nullptr;
    const CLI::Option* file = nullptr;
    const CLI::Option* link = nullptr;
    const CLI::Option* utf8 = nullptr;
    const CLI::Option* eos = nullptr;
};

// "ADDR=REST", the address checked by the option's validator.
std::pair<uint32_t, std::string> splitAddress(const std::string& text) {
    const auto eq = text.find('=');
    return {*ParseHexAddr(text.substr(0, eq)), text.substr(eq + 1)};
}

// VALUE[:PREFIX], both address texts.
std::optional<std::pair<uint32_t, uint32_t>> parseLinkValue(const std::string& text) {
    const auto colon = text.find(':');
    const auto value = ParseHexAddr(text.substr(0, colon));
    const auto prefix = colon == std::string::npos ? std::optional<uint32_t>(0)
                                                   : ParseHexAddr(text.substr(colon + 1));
    if (!value || !prefix)
        return std::nullopt;
    return std::pair{*value, *prefix};
}

// The changes in the order given; --utf8 and --eos belong to the --string just before them.
std::vector<Change> changesInOrder(const CLI::App& command, const ChangeOptions& o) {
    std::vector<Change> changes;
    size_t strings = 0, files = 0, links = 0;
    for (const CLI::Option* option : command.parse_order()) {
        if (option == o.string) {
            const std::string& given = o.strings[strings++];
            auto [addr, text] = splitAddress(given);
            changes.push_back(
                {Change::String, addr, Cp1251OrFail(text, "--string " + given), false, false});
        } else if (option == o.file) {
            auto [addr, path] = splitAddress(o.files[files++]);
            changes.push_back({Change::File, addr, path, false, false});
        } else if (option == o.link) {
            auto [addr, value] = splitAddress(o.links[links++]);
            changes.push_back({Change::Link, addr, value, false, false});
        } else if (option == o.utf8 || option == o.eos) {
            if (changes.empty() || changes.back().kind != Change::String)
                usage(option->get_name() + " belongs after a --string change");
            (option == o.utf8 ? changes.back().utf8 : changes.back().eos) = true;
        }
    }
    if (changes.empty())
        usage("give at least one change (--string, --file or --link)");
    return changes;
}

std::string readFileOrFail(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (FileSizeOf(path) < 0 || !in)
        fail("cannot read \"" + path + "\" (no readable regular file)");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void queueString(Workspace& ws, const Change& s) {
    std::string bytes = s.utf8 ? WinToUtf8(s.value) : s.value;
    if (s.eos)
        bytes += '\x01'; // the end-of-string mark, stored as 0x00
    ws.changes.AppendStringChange(s.addr, bytes);
}

// A picture or sound replacement: the file holds the new firmware bytes. An MMF file (it starts
// with "MMMD") replaces a sound, anything else a picture (its dimension is not known here).
void queueFile(Workspace& ws, uint32_t addr, const std::string& path) {
    const std::string bytes = readFileOrFail(path);
    std::string error;
    const bool queued = bytes.compare(0, 4, "MMMD") == 0
                            ? ws.changes.AppendSoundChange(ws.tempDir, addr, bytes, error)
                            : ws.changes.AppendImageChange(ws.tempDir, addr, 0, bytes, error);
    if (!queued)
        fail(ComposedTextToUtf8(error));
}

void queueLink(Workspace& ws, uint32_t addr, const std::string& text) {
    const auto [value, prefix] = *parseLinkValue(text);
    ws.changes.AppendLinkChange(addr, value, prefix);
}

// Queued after the firmware is opened, so that opening does not discard them.
void queueChanges(Workspace& ws, const std::vector<Change>& changes) {
    for (const Change& c : changes) {
        if (c.kind == Change::String)
            queueString(ws, c);
        else if (c.kind == Change::File)
            queueFile(ws, c.addr, c.value);
        else
            queueLink(ws, c.addr, c.value);
    }
}

void runPatch(const ChangeOptions& o, const std::vector<Change>& changes, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    queueChanges(ws, changes);
    CliDialogs dialogs(ws.messages, out, o.yes);
    NullProgress progress;
    PatchTable table;
    table.Fill(ws.changes);
    table.SelectAll();

    const PatchFiles mode = o.separate ? PatchFiles::DifferentFiles : PatchFiles::OneFile;
    // With --restore both files are written, or neither.
    if (!(o.restore
              ? CreatePatchAndRestore(ws, table, dialogs, progress, mode, o.output, *o.restore)
              : CreateS3Patch(ws, table, dialogs, progress, mode, o.output)))
        fail(o.restore ? "neither the patch nor the restore patch was written"
                       : "the patch was not written");
    if (o.separate) {
        for (size_t row = 1; row <= table.rows().size(); ++row)
            out.success("wrote " + RowPatchName(o.output, row));
    } else {
        out.success("wrote " + OneFilePatchName(o.output));
    }
    if (o.restore)
        out.success("wrote " + *o.restore);
}

void runApply(const ChangeOptions& o, const std::vector<Change>& changes, const Output& out) {
    if (!o.write)
        usage("nothing is written into the firmware without --write");
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, true);
    queueChanges(ws, changes);
    CliDialogs dialogs(ws.messages, out, true);
    if (!SaveAllChanges(ws, dialogs))
        fail("the changes were not all written");
    out.success("wrote " + std::to_string(ws.changes.total()) + " change(s) into " + o.firmware);
}

struct UndoOptions {
    std::string firmware;
    bool write = false;
    bool json = false;
};

// Without --write: the undo file's ranges, each with whether the firmware holds other bytes
// there now. With --write: the rollback.
void runUndo(const UndoOptions& o, const Output& out) {
    Workspace ws;
    ws.undoFolder = DefaultConfigDir();
    OpenFirmwareOrFail(ws, o.firmware, PhoneModel::C200, o.write, false);
    const std::optional<std::string> undo = FindUndoFile(ws.firmware.path(), ws.undoFolder);
    std::string error;
    if (o.write) {
        if (!undo) {
            out.success("no undo file for " + o.firmware + ": nothing to roll back");
            return;
        }
        uint64_t bytes = 0;
        if (!RollBack(ws, *undo, error, &bytes))
            fail("the firmware was not rolled back: " + error);
        out.success("rolled back " + std::to_string(bytes) + " bytes of " + o.firmware + " from " +
                    *undo);
        return;
    }
    const auto ranges = undo ? ReadUndoFile(ws, *undo, error)
                             : std::optional<std::vector<UndoRange>>(std::vector<UndoRange>{});
    if (!ranges)
        fail(error);
    if (o.json) {
        nlohmann::json rows = nlohmann::json::array();
        for (const UndoRange& r : *ranges)
            rows.push_back(
                {{"address", ToHexAddr(r.address)}, {"length", r.length}, {"differs", r.differs}});
        const nlohmann::json all = {{"undoFile", undo ? nlohmann::json(*undo) : nlohmann::json()},
                                    {"ranges", rows}};
        std::cout << all.dump(2) << '\n';
        return;
    }
    if (!undo) {
        out.success("no undo file for " + o.firmware);
        return;
    }
    std::cout << "undo file " << *undo << '\n';
    for (const UndoRange& r : *ranges)
        std::cout << ToHexAddr(r.address) << ' ' << r.length << ' '
                  << (r.differs ? "differs" : "same") << '\n';
}

// A check of "ADDR=..." whose rest `restOk` accepts.
CLI::Validator assignmentText(const std::string& form, bool (*restOk)(const std::string&)) {
    return CLI::Validator(
        [form, restOk](const std::string& text) -> std::string {
            const auto eq = text.find('=');
            if (eq == std::string::npos || !ParseHexAddr(text.substr(0, eq)) ||
                !restOk(text.substr(eq + 1)))
                return "needs " + form + ", not \"" + text + "\"";
            return {};
        },
        "", form);
}

void addChangeOptions(CLI::App& command, ChangeOptions& o) {
    command.add_option("FIRMWARE", o.firmware, "The firmware BIN file")->required();
    const auto any = [](const std::string&) { return true; };
    const auto link = [](const std::string& v) { return parseLinkValue(v).has_value(); };
    const auto changeOption = [&command](const char* name, std::vector<std::string>& values,
                                         const char* form, const char* description,
                                         CLI::Validator check) {
        return command.add_option(name, values, description)
            ->type_name(form)
            ->expected(1)
            ->take_all()
            ->allow_extra_args(false)
            ->check(check);
    };
    o.string = changeOption("--string", o.strings, "ADDR=TEXT", "Write a text at ADDR",
                            assignmentText("ADDR=TEXT", any));
    o.utf8 = command.add_flag("--utf8")->description(
        "Store the --string before as the firmware's UTF-8");
    o.eos = command.add_flag("--eos")->description(
        "End the --string before with the end-of-string zero");
    o.file = changeOption("--file", o.files, "ADDR=PATH",
                          "Write a file's bytes at ADDR (a sound when they start with MMMD, else "
                          "a picture)",
                          assignmentText("ADDR=PATH", any));
    o.link = changeOption("--link", o.links, "ADDR=VALUE[:PREFIX]",
                          "Write a 32-bit value at ADDR (the prefix, such as a dimension, at "
                          "ADDR - 4)",
                          assignmentText("ADDR=VALUE[:PREFIX]", link));
    AddModelOption(command, o.model);
}

} // namespace

void AddPatchCommands(CLI::App& app, Output& out) {
    CLI::App* patch = AddCommand(
        app, "patch", "Write changes as S3 patch files; the firmware is not changed", out);
    auto p = std::make_shared<ChangeOptions>();
    addChangeOptions(*patch, *p);
    patch->add_option("OUT.s3", p->output, "The patch file")->required();
    patch->add_flag("--separate", p->separate, "One patch file per change");
    patch->add_option("--restore", p->restore, "Also write a patch that undoes the changes")
        ->type_name("RESTORE.s3");
    patch->add_flag("--yes", p->yes, "Answer Yes to questions (replace existing files)");
    patch->callback([p, patch, &out] { runPatch(*p, changesInOrder(*patch, *p), out); });

    CLI::App* apply = AddCommand(app, "apply", "Write changes into the firmware", out);
    auto a = std::make_shared<ChangeOptions>();
    addChangeOptions(*apply, *a);
    apply->add_flag("--write", a->write, "Needed: nothing is written into the firmware without it");
    apply->callback([a, apply, &out] { runApply(*a, changesInOrder(*apply, *a), out); });

    CLI::App* undo = AddCommand(
        app, "undo", "Show or roll back the undo file a save that did not finish left", out);
    auto u = std::make_shared<UndoOptions>();
    undo->add_option("FIRMWARE", u->firmware, "The firmware BIN file")->required();
    undo->add_flag("--write", u->write,
                   "Roll the firmware back to the bytes it held before that save, then remove "
                   "the undo file");
    undo->add_flag("--json", u->json, "Show the ranges as JSON");
    undo->callback([u, &out] { runUndo(*u, out); });
}

} // namespace tovallo::cli
