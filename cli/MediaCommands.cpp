// tovallo-cli sounds and java: the firmware's MMF sounds and Java games.

#include "cli/Commands.h"

#include "media/JadFile.h"
#include "media/JavaEdits.h"
#include "media/JavaTable.h"
#include "media/SoundDiscovery.h"
#include "media/SoundEdits.h"
#include "media/SoundTableFile.h"
#include "strings/Cp1251.h"
#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/SaveChanges.h"
#include "workspace/Workspace.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <memory>

namespace tovallo::cli {

namespace {

// Information stays quiet and the first refusal becomes the command's failure line. The
// confirmations of a replacement or relink are what the command was asked to do; replacing an
// existing file (3) and a replacement larger than the original (26) need --yes.
class MediaDialogs : public CliDialogs {
  public:
    MediaDialogs(const Messages& messages, const Output& out, bool yes)
        : CliDialogs(messages, out, yes), yes_(yes) {}
    void inform(int, const std::string& = {}) override {}
    void warn(int message, const std::string& appended = {}) override {
        refuse(text(message, appended));
    }
    void error(int message, const std::string& appended = {}) override {
        refuse(text(message, appended));
    }
    void errorText(const std::string& text) override { refuse(ComposedTextToUtf8(text)); }
    bool ask(int message, const std::string& appended = {}) override {
        if (message != msg::FileExists && message != msg::SoundLargerThanOriginal)
            return true;
        if (yes_)
            return CliDialogs::ask(message, appended);
        refuse(text(message, appended) + " (answered No; --yes answers Yes)");
        return false;
    }
    // Fails the command with the refusal shown, or with `otherwise` when there was none.
    [[noreturn]] void failWith(const std::string& otherwise) const {
        fail(refusal_.empty() ? otherwise : refusal_);
    }

  private:
    void refuse(std::string line) {
        if (refusal_.empty())
            refusal_ = std::move(line);
    }
    bool yes_;
    std::string refusal_;
};

struct MediaOptions {
    std::string firmware;
    PhoneModel model = PhoneModel::C200;
    bool json = false;
    std::optional<uint32_t> at;      // sounds table
    std::optional<std::string> save; // sounds table
    std::string file;                // the table file, the output, the replacement or the JAR
    size_t row = 0;                  // from 1
    bool scan = false;
    bool yes = false;
    bool write = false;
    uint32_t newAddr = 0;       // sounds relink
    std::vector<uint32_t> only; // sounds relink
};

// The firmware of a command, opened for writing only with --write.
struct OpenedFirmware {
    OpenedFirmware(const MediaOptions& o, const Output& out) : dialogs(ws.messages, out, o.yes) {
        OpenFirmwareOrFail(ws, o.firmware, o.model, o.write);
    }
    Workspace ws;
    MediaDialogs dialogs;
    NullProgress bar;
};

// The sound table (found, or at `at`), or every "MMMD" with `scan`.
SoundList soundsOrFail(OpenedFirmware& f, bool scan, std::optional<uint32_t> at = {}) {
    SoundList list;
    if (scan) {
        FindSounds(f.ws, list, f.bar, f.dialogs);
        return list;
    }
    if (!at)
        at = FindSoundsTable(f.ws, list, f.bar, f.dialogs);
    std::string where = at ? ToHexAddr(*at) : std::string();
    if (!at || !ReadSoundsTableAt(f.ws, where, list, f.dialogs))
        f.dialogs.failWith("the sound table was not read");
    return list;
}

JavaList javaOrFail(OpenedFirmware& f) {
    JavaList list;
    if (!FindJavaGames(f.ws, list, f.bar, f.dialogs))
        fail("the Java table was not found (no \"" + Cp1251ToUtf8(f.ws.profile.JavaTableMarker) +
             "\" from " + ToHexAddr(f.ws.profile.FlashStart()) + " on)");
    return list;
}

// ROW counts from 1 (CLI11 has refused 0).
size_t rowIndexOrFail(size_t row, size_t count, const char* what) {
    if (row > count)
        fail("row " + std::to_string(row) + " is out of range: " + std::to_string(count) + ' ' +
             what + " listed");
    return row - 1;
}

void printSounds(const SoundList& list, bool json) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (size_t r = 0; r < list.size(); ++r) {
        const auto cells = SoundCells(list.rows[r]);
        const std::string name = Cp1251ToUtf8(cells[0]);
        const std::string table = ToHexAddr(list.linkOf(r));
        if (json)
            rows.push_back({{"name", name},
                            {"addr", cells[1]},
                            {"size", list.rows[r].Size},
                            {"table", table}});
        else
            std::cout << name << ' ' << cells[1] << ' ' << cells[2] << ' ' << table << '\n';
    }
    if (json)
        std::cout << rows.dump(2) << '\n';
}

void printJava(const JavaList& list, bool json) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (size_t r = 0; r < list.size(); ++r) {
        const auto cells = JavaCells(list.rows[r]);
        const std::string shown = Cp1251ToUtf8(cells[0]);
        const std::string entry = ToHexAddr(list.JavaEntries[r]);
        if (json)
            rows.push_back({{"shown", shown},
                            {"addr", cells[1]},
                            {"size", list.rows[r].Size},
                            {"entry", entry}});
        else
            std::cout << shown << ' ' << cells[1] << ' ' << cells[2] << ' ' << entry << '\n';
    }
    if (json)
        std::cout << rows.dump(2) << '\n';
}

// How long the change lists were before a command queued its changes.
struct QueueMark {
    size_t sounds = 0, java = 0, links = 0;
};
QueueMark markOf(const PendingChanges& c) {
    return {c.SoundChanges.size(), c.JavaChanges.size(), c.LinkChanges.size()};
}

// The writes the command queued, in the order it queued them: a replacement's data comes
// before its size link; a Java replacement writes its data, its entry text and the size after
// the entry's name field.
void printQueued(const Workspace& ws, QueueMark from) {
    const PendingChanges& c = ws.changes;
    for (size_t i = from.sounds; i < c.SoundChanges.size(); ++i)
        std::cout << ToHexAddr(c.SoundChanges[i].Addr) << " file " << c.SoundChanges[i].Size
                  << '\n';
    for (size_t i = from.java; i < c.JavaChanges.size(); ++i) {
        const Java_& j = c.JavaChanges[i];
        const int64_t size = FileSizeOf(j.FileName);
        std::string entry = j.EntryText;
        entry.erase(std::find(entry.begin(), entry.end(), '\0'), entry.end());
        std::cout << ToHexAddr(j.DataAddr) << " file " << size << '\n'
                  << ToHexAddr(j.EntryAddr) << " string " << Cp1251ToUtf8(entry) << '\n'
                  << ToHexAddr(j.EntryAddr + ws.profile.JavaSizeOffset) << " link "
                  << ToHexAddr(static_cast<uint32_t>(size)) << '\n';
    }
    for (size_t i = from.links; i < c.LinkChanges.size(); ++i)
        std::cout << ToHexAddr(c.LinkChanges[i].Addr) << " link "
                  << ToHexAddr(c.LinkChanges[i].Value) << '\n';
}

// With --write, Save All.
void writeIfAsked(OpenedFirmware& f, const MediaOptions& o, const Output& out) {
    if (!o.write)
        return;
    const SaveSummary saved = SaveAllChanges(f.ws, f.dialogs);
    if (!saved)
        f.dialogs.failWith("the changes were not written");
    out.success("wrote " + std::to_string(saved.changes) + " change(s), " +
                std::to_string(saved.bytes) + " bytes, into " + o.firmware);
}

void runSoundsFind(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    printSounds(soundsOrFail(f, true), o.json);
}

void runSoundsTable(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    const SoundList list = soundsOrFail(f, false, o.at);
    if (o.save && !SaveSoundTable(f.ws, *o.save, list, f.dialogs))
        f.dialogs.failWith("the table file was not written");
    printSounds(list, o.json);
    if (o.save && !o.json)
        out.success("wrote " + *o.save);
}

void runSoundsLoad(const MediaOptions& o, const Output& out) {
    const Messages messages;
    MediaDialogs dialogs(messages, out, false);
    SoundList list;
    if (!LoadSoundTable(o.file, list, dialogs))
        dialogs.failWith("the table file was not read");
    printSounds(list, o.json);
}

void runSoundsExport(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    const SoundList list = soundsOrFail(f, o.scan);
    const size_t row = rowIndexOrFail(o.row, list.size(), "sounds");
    if (!ExportSound(f.ws, list, row, o.file, f.dialogs))
        f.dialogs.failWith("the sound was not exported");
    out.success("wrote " + std::to_string(list.rows[row].Size) + " bytes from " +
                ToHexAddr(list.rows[row].Addr) + " to " + o.file);
}

void runSoundsReplace(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    const SoundList list = soundsOrFail(f, o.scan);
    const size_t row = rowIndexOrFail(o.row, list.size(), "sounds");
    const QueueMark mark = markOf(f.ws.changes);
    if (!ReplaceSound(f.ws, list, row, o.file, f.dialogs))
        f.dialogs.failWith("the sound was not replaced");
    printQueued(f.ws, mark);
    writeIfAsked(f, o, out);
}

void runSoundsLinks(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    const SoundList list = soundsOrFail(f, o.scan);
    const size_t row = rowIndexOrFail(o.row, list.size(), "sounds");
    for (uint32_t at : FindSoundLinks(f.ws, list, row, f.bar, f.dialogs))
        std::cout << ToHexAddr(at) << '\n';
}

// The links to re-point: all found, else those named, in the order found.
std::vector<uint32_t> chosenLinksOrFail(const std::vector<uint32_t>& found,
                                        const std::vector<uint32_t>& named, uint32_t addr) {
    if (found.empty())
        fail("no link to " + ToHexAddr(addr) + " was found");
    const auto isFound = [&found](uint32_t p) {
        return std::find(found.begin(), found.end(), p) != found.end();
    };
    for (uint32_t position : named)
        if (!isFound(position))
            fail(ToHexAddr(position) + " is no link to " + ToHexAddr(addr));
    if (named.empty())
        return found;
    std::vector<uint32_t> chosen;
    std::copy_if(found.begin(), found.end(), std::back_inserter(chosen), [&named](uint32_t p) {
        return std::find(named.begin(), named.end(), p) != named.end();
    });
    return chosen;
}

void runSoundsRelink(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    SoundList list = soundsOrFail(f, o.scan);
    const size_t row = rowIndexOrFail(o.row, list.size(), "sounds");
    const std::vector<uint32_t> chosen = chosenLinksOrFail(
        FindSoundLinks(f.ws, list, row, f.bar, f.dialogs), o.only, list.rows[row].Addr);
    const QueueMark mark = markOf(f.ws.changes);
    std::string newAddress = ToHexAddr(o.newAddr);
    if (!ChangeSoundAddr(f.ws, list, row, chosen, newAddress, f.dialogs))
        f.dialogs.failWith("the links were not changed");
    printQueued(f.ws, mark);
    writeIfAsked(f, o, out);
}

void runJavaList(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    printJava(javaOrFail(f), o.json);
}

void runJavaExport(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    const JavaList list = javaOrFail(f);
    const size_t row = rowIndexOrFail(o.row, list.size(), "files");
    if (!ExportJava(f.ws, list, row, o.file, f.dialogs))
        f.dialogs.failWith("the file was not exported");
    out.success("wrote " + std::to_string(list.rows[row].Size) + " bytes from " +
                ToHexAddr(list.rows[row].Addr) + " to " + o.file);
}

void runJavaReplace(const MediaOptions& o, const Output& out) {
    OpenedFirmware f(o, out);
    const JavaList list = javaOrFail(f);
    const size_t row = rowIndexOrFail(o.row, list.size(), "files");
    const QueueMark mark = markOf(f.ws.changes);
    if (!ReplaceJava(f.ws, list, row, o.file, f.dialogs))
        f.dialogs.failWith("the file was not replaced");
    printQueued(f.ws, mark);
    writeIfAsked(f, o, out);
}

void runJavaJad(const MediaOptions& o, const Output& out) {
    const Workspace noFirmware; // a JAD never needs one
    MediaDialogs dialogs(noFirmware.messages, out, false);
    const auto jad = CreateJadFile(noFirmware, o.file, dialogs);
    if (!jad)
        dialogs.failWith("the JAD file was not written");
    std::cout << *jad << '\n';
}

void addFirmware(CLI::App& command, MediaOptions& o) {
    command.add_option("FIRMWARE", o.firmware, "The firmware BIN file")->required();
    AddModelOption(command, o.model);
}

void addRow(CLI::App& command, MediaOptions& o, const char* description) {
    command.add_option("ROW", o.row, description)->required()->check(CLI::PositiveNumber);
}

void addJson(CLI::App& command, MediaOptions& o) {
    command.add_flag("--json", o.json, "One JSON array of the rows");
}

void addScan(CLI::App& command, MediaOptions& o) {
    command.add_flag("--scan", o.scan,
                     "ROW counts in the sounds found by scanning (sounds find), not in the table");
}

void addWrite(CLI::App& command, MediaOptions& o) {
    command.add_flag("--write", o.write,
                     "Write the changes into the firmware (Save All); without it they are only "
                     "printed");
}

using Runner = void (*)(const MediaOptions&, const Output&);

// A subcommand of `group` with its options and the function that runs it.
std::pair<CLI::App*, std::shared_ptr<MediaOptions>>
mediaCommand(CLI::App& group, Output& out, const char* name, const char* description, Runner run) {
    auto o = std::make_shared<MediaOptions>();
    CLI::App* command = AddCommand(group, name, description, out);
    command->callback([o, run, &out] { run(*o, out); });
    return {command, o};
}

void addSoundCommands(CLI::App& app, Output& out) {
    CLI::App* sounds = AddCommandGroup(
        app, "sounds", "The firmware's MMF sounds: find, table, export, replace, relink");
    const char* tableRow = "The sound's row, from 1, in sounds table (or sounds find with --scan)";

    auto [find, f] = mediaCommand(
        *sounds, out, "find", "Every \"MMMD\" from the flash start: NAME ADDR SIZE TABLE a line",
        runSoundsFind);
    addFirmware(*find, *f);
    addJson(*find, *f);

    auto [table, t] =
        mediaCommand(*sounds, out, "table",
                     "The firmware's sound table: NAME ADDR SIZE TABLE a line", runSoundsTable);
    addFirmware(*table, *t);
    table->add_option("--at", t->at, "The table's address (default: searched by its signature)")
        ->type_name("ADDR")
        ->transform(AddressText());
    CLI::Option* save =
        table->add_option("--save", t->save, "Also write the table file")->type_name("FILE.txt");
    table->add_flag("--yes", t->yes, "Replace an existing table file")->needs(save);
    addJson(*table, *t);

    auto [load, l] =
        mediaCommand(*sounds, out, "load", "The rows of a sound table file", runSoundsLoad);
    load->add_option("FILE.txt", l->file, "The table file")->required();
    addJson(*load, *l);

    auto [exportCmd, e] =
        mediaCommand(*sounds, out, "export", "Save a sound as an MMF file", runSoundsExport);
    addFirmware(*exportCmd, *e);
    addRow(*exportCmd, *e, tableRow);
    exportCmd->add_option("OUT.mmf", e->file, "The file to write")->required();
    addScan(*exportCmd, *e);
    exportCmd->add_flag("--yes", e->yes, "Replace an existing file");

    auto [replace, r] =
        mediaCommand(*sounds, out, "replace",
                     "Queue an MMF file in place of a sound; prints the changes", runSoundsReplace);
    addFirmware(*replace, *r);
    addRow(*replace, *r, tableRow);
    replace->add_option("NEW.mmf", r->file, "The sound to put in its place")->required();
    addScan(*replace, *r);
    replace->add_flag("--yes", r->yes, "Accept a file larger than the sound it replaces");
    addWrite(*replace, *r);

    auto [links, k] =
        mediaCommand(*sounds, out, "links",
                     "Places from the flash start that hold a sound's address", runSoundsLinks);
    addFirmware(*links, *k);
    addRow(*links, *k, tableRow);
    addScan(*links, *k);

    auto [relink, n] = mediaCommand(*sounds, out, "relink",
                                    "Point a sound's links at another address; prints the changes",
                                    runSoundsRelink);
    addFirmware(*relink, *n);
    addRow(*relink, *n, tableRow);
    relink->add_option("NEWADDR", n->newAddr, "The address the links get")
        ->required()
        ->type_name("ADDR")
        ->transform(AddressText());
    addScan(*relink, *n);
    relink->add_option("--only", n->only, "Change only this link position (repeatable)")
        ->type_name("POS")
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false)
        ->transform(AddressText());
    addWrite(*relink, *n);
}

void addJavaCommands(CLI::App& app, Output& out) {
    CLI::App* java = AddCommandGroup(app, "java",
                                     "The firmware's Java games: list, export, "
                                     "replace; JAD files for JAR files");
    const char* javaRow = "The file's row, from 1, in java list";

    auto [list, l] = mediaCommand(
        *java, out, "list", "The Java table's files: SHOWN ADDR SIZE ENTRY a line", runJavaList);
    addFirmware(*list, *l);
    addJson(*list, *l);

    auto [exportCmd, e] =
        mediaCommand(*java, out, "export", "Save a JAR or JAD file of the firmware", runJavaExport);
    addFirmware(*exportCmd, *e);
    addRow(*exportCmd, *e, javaRow);
    exportCmd->add_option("OUT", e->file, "The file to write")->required();
    exportCmd->add_flag("--yes", e->yes, "Replace an existing file");

    auto [replace, r] = mediaCommand(*java, out, "replace",
                                     "Queue a JAR or JAD file in place of a row's file; prints "
                                     "the changes",
                                     runJavaReplace);
    addFirmware(*replace, *r);
    addRow(*replace, *r, javaRow);
    replace->add_option("FILE", r->file, "The file of the row's kind (.jar or .jad)")->required();
    replace->add_flag("--yes", r->yes, "Accept a file larger than the one it replaces");
    addWrite(*replace, *r);

    auto [jad, j] =
        mediaCommand(*java, out, "jad",
                     "Create or correct the JAD file beside a JAR; prints its path", runJavaJad);
    jad->add_option("GAME.jar", j->file, "The JAR file")->required();
}

} // namespace

void AddMediaCommands(CLI::App& app, Output& out) {
    addSoundCommands(app, out);
    addJavaCommands(app, out);
}

} // namespace tovallo::cli
