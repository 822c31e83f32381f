// patch / apply: pending changes given on the command line, written as S3 patch files or into
// the firmware.
#include "cli/CliSupport.h"

#include "srecord/PatchTable.h"
#include "srecord/PatchWriter.h"

#include "strings/TextEncoding.h"
#include "workspace/FirmwareFile.h"
#include "workspace/SaveChanges.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace tovallo::cli {

namespace {

// The words of patch and apply: changes in the order given (--utf8 and --eos belong to the
// --string before them), flags and positional words.
struct ChangeWords {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    size_t changes = 0;
};

std::pair<uint32_t, std::string> splitAddress(const std::string& option, const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos)
        usage(option + " needs ADDR=..., not \"" + text + "\"");
    return {ParseNumber(text.substr(0, eq), option + " address"), text.substr(eq + 1)};
}

std::string readFileOrFail(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (FileSizeOf(path) < 0 || !in)
        fail("cannot read \"" + path + "\" (no readable regular file)");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A string change waits for its --utf8 / --eos flags before it is queued.
struct PendingString {
    uint32_t addr = 0;
    std::string text;
    bool utf8 = false;
    bool eos = false;
};

void queueString(Workspace& ws, const PendingString& s) {
    std::string bytes = s.utf8 ? WinToUtf8(s.text) : s.text;
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
        fail(Cp1251ToUtf8(error));
}

void queueLink(Workspace& ws, uint32_t addr, const std::string& text) {
    const auto colon = text.find(':');
    const uint32_t value = ParseNumber(text.substr(0, colon), "--link value");
    const uint32_t prefix =
        colon == std::string::npos ? 0 : ParseNumber(text.substr(colon + 1), "--link prefix");
    ws.changes.AppendLinkChange(addr, value, prefix);
}

// Parses the words and queues the changes into `ws` (after the firmware is opened, so that
// opening does not discard them).
ChangeWords parseWords(const std::vector<std::string>& words,
                       const std::vector<std::string>& valueOptions,
                       const std::vector<std::string>& flags, Workspace* ws) {
    ChangeWords out;
    PendingString string;
    bool haveString = false;
    auto flushString = [&] {
        if (haveString && ws)
            queueString(*ws, string);
        haveString = false;
    };
    auto valueOf = [&](size_t& i) -> const std::string& {
        if (i + 1 >= words.size())
            usage(words[i] + " needs a value");
        return words[++i];
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--utf8" || w == "--eos") {
            if (!haveString)
                usage(w + " belongs after a --string change");
            (w == "--utf8" ? string.utf8 : string.eos) = true;
            continue;
        }
        if (w == "--string" || w == "--file" || w == "--link") {
            flushString();
            const auto [addr, rest] = splitAddress(w, valueOf(i));
            ++out.changes;
            if (w == "--string") {
                string = PendingString{addr, Utf8ToCp1251(rest)};
                haveString = true;
            } else if (ws && w == "--file") {
                queueFile(*ws, addr, rest);
            } else if (ws) {
                queueLink(*ws, addr, rest);
            }
            continue;
        }
        if (w.rfind("--", 0) == 0) {
            const std::string name = w.substr(2);
            if (std::find(valueOptions.begin(), valueOptions.end(), name) != valueOptions.end())
                out.options[name] = valueOf(i);
            else if (std::find(flags.begin(), flags.end(), name) != flags.end())
                out.options[name] = "";
            else
                usage("unknown option " + w);
            continue;
        }
        out.positional.push_back(w);
    }
    flushString();
    if (out.changes == 0)
        usage("give at least one change (--string, --file or --link)");
    return out;
}

std::optional<std::string> option(const ChangeWords& w, const std::string& name) {
    const auto it = w.options.find(name);
    return it == w.options.end() ? std::nullopt : std::optional<std::string>(it->second);
}

const std::string& positional(const ChangeWords& w, size_t n, const std::string& what) {
    if (n >= w.positional.size())
        usage("missing " + what);
    return w.positional[n];
}

int runPatch(const std::vector<std::string>& words) {
    const std::vector<std::string> values{"restore", "model"};
    const std::vector<std::string> flags{"separate", "yes"};
    const ChangeWords checked = parseWords(words, values, flags, nullptr);
    const std::string& firmware = positional(checked, 0, "FIRMWARE");
    const std::string& output = positional(checked, 1, "OUT.s3");

    Workspace ws;
    OpenFirmwareOrFail(ws, firmware, ParseModel(option(checked, "model")), false);
    parseWords(words, values, flags, &ws);
    CliDialogs dialogs(ws.messages, option(checked, "yes").has_value());
    NullProgress progress;
    PatchTable table;
    table.Fill(ws.changes);
    table.SelectAll();

    const bool separate = option(checked, "separate").has_value();
    const PatchFiles mode = separate ? PatchFiles::DifferentFiles : PatchFiles::OneFile;
    const auto restore = option(checked, "restore");
    // With --restore both files are written, or neither.
    if (!(restore ? CreatePatchAndRestore(ws, table, dialogs, progress, mode, output, *restore)
                  : CreateS3Patch(ws, table, dialogs, progress, mode, output)))
        fail(restore ? "neither the patch nor the restore patch was written"
                     : "the patch was not written");
    if (separate) {
        for (size_t row = 1; row <= table.rows().size(); ++row)
            std::cout << "wrote " << RowPatchName(output, row) << '\n';
    } else {
        std::cout << "wrote " << OneFilePatchName(output) << '\n';
    }
    if (restore)
        std::cout << "wrote " << *restore << '\n';
    return 0;
}

int runApply(const std::vector<std::string>& words) {
    const std::vector<std::string> values{"model"};
    const std::vector<std::string> flags{"write"};
    const ChangeWords checked = parseWords(words, values, flags, nullptr);
    const std::string& firmware = positional(checked, 0, "FIRMWARE");
    if (!option(checked, "write"))
        usage("nothing is written into the firmware without --write");

    Workspace ws;
    OpenFirmwareOrFail(ws, firmware, ParseModel(option(checked, "model")), true);
    parseWords(words, values, flags, &ws);
    CliDialogs dialogs(ws.messages, true);
    if (!SaveAllChanges(ws, dialogs))
        fail("the changes were not all written");
    std::cout << "wrote " << ws.changes.total() << " change(s) into " << firmware << '\n';
    return 0;
}

const CommandRegistration patchReg{
    "patch",
    "patch FIRMWARE OUT.s3 [--separate] [--restore RESTORE.s3] [--model M] [--yes] CHANGE...\n"
    "  CHANGE: --string ADDR=TEXT [--utf8] [--eos] | --file ADDR=PATH | --link ADDR=VALUE[:PREFIX]",
    &runPatch};
const CommandRegistration applyReg{
    "apply", "apply FIRMWARE --write [--model M] CHANGE... (CHANGE as for patch)", &runApply};

} // namespace

} // namespace tovallo::cli
