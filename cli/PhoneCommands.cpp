// tovallo-cli phone: the phone's identity, pictures and sounds over the serial link; phone-sim:
// a simulated phone on a pseudo terminal for those without one.

#include "cli/Commands.h"

#include "phone/PhoneSession.h"
#include "phone/PhoneSimulator.h"
#include "strings/Cp1251.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Settings.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <deque>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

namespace tovallo::cli {

namespace {

// Every message the phone link shows is a failure line of the command; message 36 is answered
// by --yes.
class PhoneDialogs : public CliDialogs {
  public:
    PhoneDialogs(const Messages& messages, const Output& out, bool yes)
        : CliDialogs(messages, out, yes), yes_(yes) {}
    void inform(int, const std::string& = {}) override {}
    void warn(int message, const std::string& appended = {}) override {
        shown.push_back(text(message, appended));
    }
    void error(int message, const std::string& appended = {}) override {
        shown.push_back(text(message, appended));
    }
    void errorText(const std::string& text) override { shown.push_back(ComposedTextToUtf8(text)); }
    bool ask(int message, const std::string& appended = {}) override {
        if (!yes_)
            shown.push_back(text(message, appended) + " (answered No; --yes answers Yes)");
        return yes_;
    }
    // The oldest message not yet taken, or `otherwise`.
    std::string take(const std::string& otherwise) {
        if (shown.empty())
            return otherwise;
        std::string line = std::move(shown.front());
        shown.pop_front();
        return line;
    }

    std::deque<std::string> shown;

  private:
    bool yes_;
};

// Prints every line but the last as main prints a failure, and fails with the last one: one
// stderr line for each failure.
[[noreturn]] void failLines(const std::string& command, const std::vector<std::string>& lines) {
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        std::cerr << "tovallo-cli " << command << ": " << lines[i] << '\n';
    fail(lines.empty() ? std::string("failed") : lines.back());
}

struct PhoneOptions {
    std::optional<std::string> device;
    std::optional<int> port;
    std::optional<int> baud;
    std::optional<int> timeOut;
    PhoneFolder folder = PhoneFolder::Pictures;
    bool json = false;
    std::vector<std::string> files; // send
    std::string block = "auto";     // send
    std::vector<int> indexes;       // delete
    bool yes = false;               // delete
};

// A command's connection to the phone: the device, baud rate and time-out given, else those of
// the settings. Connects when made and disconnects when gone, also after a failure.
class PhoneConnection {
  public:
    PhoneConnection(const PhoneOptions& o, const Output& out, std::string command)
        : command_(std::move(command)), dialogs_(messages_, out, o.yes),
          session_(dialogs_, progress_, messages_, DefaultConfigDir()) {
        PhoneLinkSettings s = ReadPhoneLinkSettings(session_.settingsPath());
        s.PhonePort = o.port.value_or(s.PhonePort);
        s.PhoneBaud = o.baud.value_or(s.PhoneBaud);
        if (o.timeOut)
            s.PhoneTimeOut = std::chrono::milliseconds(*o.timeOut);
        const std::string device =
            o.device.value_or(PortDevice(session_.settingsPath(), s.PhonePort));
        if (!session_.Connect(device, s.PhoneBaud, s.PhoneTimeOut))
            fail(dialogs_.take(text(msg::PhoneNotConnected)) + " (" + device + ")");
    }
    ~PhoneConnection() { session_.Disconnect(); }
    PhoneConnection(const PhoneConnection&) = delete;
    PhoneConnection& operator=(const PhoneConnection&) = delete;

    PhoneFileManager& files() { return session_.files(); }
    const PhoneIdentity& identity() { return session_.link().identity(); }
    PhoneDialogs& dialogs() { return dialogs_; }
    // A message of the table, as the terminal shows it.
    std::string text(int message) const { return Cp1251ToUtf8(messages_.text(message)); }

    // Fails with every message shown (at least `otherwise`).
    [[noreturn]] void failShown(std::vector<std::string> lines, const std::string& otherwise) {
        while (!dialogs_.shown.empty() || lines.empty())
            lines.push_back(dialogs_.take(otherwise));
        failLines(command_, lines);
    }
    [[noreturn]] void failShown(const std::string& otherwise) { failShown({}, otherwise); }
    const std::string& command() const { return command_; }

  private:
    std::string command_;
    Messages messages_;
    PhoneDialogs dialogs_;
    NullProgress progress_;
    PhoneSession session_;
};

// A file as the file manager lists it: the shown name, its size and its slot.
std::string fileLine(const PhoneFile& file) {
    return Cp1251ToUtf8(file.shownName()) + '\t' + std::to_string(file.Size) + '\t' +
           std::to_string(file.Index);
}

const char* folderName(PhoneFolder folder) {
    return folder == PhoneFolder::Pictures ? "pictures" : "sounds";
}

void runInfo(const PhoneOptions& o, const Output& out) {
    PhoneConnection phone(o, out, "phone info");
    const PhoneIdentity& id = phone.identity();
    if (o.json) {
        const nlohmann::ordered_json info{
            {"model", id.model}, {"firmware", id.firmware}, {"imei", id.imei}, {"imsi", id.imsi}};
        std::cout << info.dump(2) << '\n';
        return;
    }
    std::cout << "Model: " << id.model << "\nFirmware: " << id.firmware << "\nIMEI: " << id.imei
              << "\nIMSI: " << id.imsi << '\n';
}

void runList(const PhoneOptions& o, const Output& out) {
    PhoneConnection phone(o, out, "phone list");
    if (!phone.files().Refresh(o.folder))
        phone.failShown(phone.text(msg::FileListError));
    const std::vector<PhoneFile>& files = phone.files().files(o.folder);
    const PhoneMemInfo& memory = phone.files().memInfo();
    if (o.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const PhoneFile& f : files)
            list.push_back(
                {{"name", Cp1251ToUtf8(f.shownName())}, {"size", f.Size}, {"index", f.Index}});
        const nlohmann::ordered_json all{{"files", list}, {"memory", memory.fields}};
        std::cout << all.dump(2) << '\n';
        return;
    }
    for (const PhoneFile& f : files)
        std::cout << fileLine(f) << '\n';
    std::cout << memory.statusText() << '\n';
}

void runSend(const PhoneOptions& o, const Output& out) {
    std::vector<std::string> missing;
    for (const std::string& path : o.files) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            missing.push_back(path + ": no such file");
    }
    if (!missing.empty())
        failLines("phone send", missing);

    PhoneConnection phone(o, out, "phone send");
    std::optional<uint32_t> block;
    if (o.block != "auto")
        block = static_cast<uint32_t>(std::stoul(o.block));
    else if (!phone.files().QueryMemory(o.folder))
        phone.failShown(phone.text(msg::FileListError));
    const SendResult result = phone.files().Send(o.folder, o.files, block);
    for (const SentFile& sent : result.sent)
        std::cout << sent.path << '\t' << sent.size << '\t' << sent.crc << '\n';

    // A file the phone refused comes with the message shown for it.
    std::vector<std::string> lines;
    for (const SkippedFile& skipped : result.skipped)
        lines.push_back(skipped.path + ": " +
                        (skipped.reason == SkipReason::RefusedByPhone
                             ? phone.dialogs().take(SkipReasonText(skipped.reason))
                             : SkipReasonText(skipped.reason)));
    if (!result.completed)
        phone.failShown(lines, phone.text(msg::FileLoadingError));
    if (!lines.empty())
        failLines(phone.command(), lines);
}

void runDelete(const PhoneOptions& o, const Output& out) {
    PhoneConnection phone(o, out, "phone delete");
    if (!phone.files().Refresh(o.folder))
        phone.failShown(phone.text(msg::FileListError));
    const std::vector<PhoneFile>& listed = phone.files().files(o.folder);
    std::vector<PhoneFile> chosen;
    std::vector<std::string> unlisted;
    for (int index : o.indexes) {
        const auto it = std::find_if(listed.begin(), listed.end(),
                                     [index](const PhoneFile& f) { return f.Index == index; });
        if (it == listed.end())
            unlisted.push_back("index " + std::to_string(index) + " is not listed in " +
                               folderName(o.folder));
        else
            chosen.push_back(*it);
    }
    if (!unlisted.empty())
        failLines(phone.command(), unlisted);

    // Without --yes the question is answered No: nothing completed, its line is the failure.
    const DeleteResult result = phone.files().Delete(o.folder, chosen);
    for (const PhoneFile& f : result.deleted)
        std::cout << fileLine(f) << '\n';
    std::vector<std::string> lines;
    for (const PhoneFile& f : result.refused)
        lines.push_back(Cp1251ToUtf8(f.shownName()) + ": " +
                        phone.dialogs().take(SkipReasonText(SkipReason::RefusedByPhone)));
    if (!result.completed)
        phone.failShown(lines, phone.text(msg::FileLoadingError));
    if (!lines.empty())
        failLines(phone.command(), lines);
}

void addLinkOptions(CLI::App& command, PhoneOptions& o) {
    CLI::Option* device =
        command.add_option("--device", o.device, "The serial device of the phone")
            ->type_name("PATH");
    command.add_option("--port", o.port, "COM port N, its device from the [Ports] settings")
        ->type_name("N")
        ->check(CLI::Range(1, PhonePortCount))
        ->excludes(device);
    command.add_option("--baud", o.baud, "Baud rate (default: the settings, else 115200)")
        ->type_name("57600|115200|230400|460800")
        ->check(CLI::IsMember(std::vector<int>(PhoneBaudRates.begin(), PhoneBaudRates.end()))
                    .description(""));
    command.add_option("--timeout", o.timeOut, "Reply time-out (default: the settings, else 1500)")
        ->type_name("MS")
        ->check(CLI::Range(100, 60000));
}

void addFolder(CLI::App& command, PhoneOptions& o) {
    const std::map<std::string, PhoneFolder> folders{{"pictures", PhoneFolder::Pictures},
                                                     {"sounds", PhoneFolder::Sounds}};
    command.add_option("FOLDER", o.folder, "pictures or sounds")
        ->required()
        ->type_name("pictures|sounds")
        ->transform(CLI::CheckedTransformer(folders).description(""));
}

void addPhoneSim(CLI::App& app, Output& out);

} // namespace

void AddPhoneCommands(CLI::App& app, Output& out) {
    CLI::App* phone = AddCommandGroup(
        app, "phone", "A Samsung phone on a serial port: identity, pictures and sounds");
    using Runner = void (*)(const PhoneOptions&, const Output&);
    const auto command = [&](const char* name, const char* description, Runner run) {
        auto o = std::make_shared<PhoneOptions>();
        CLI::App* c = AddCommand(*phone, name, description, out);
        addLinkOptions(*c, *o);
        c->callback([o, run, &out] { run(*o, out); });
        return std::pair{c, o};
    };

    auto [info, i] =
        command("info", "The phone's model, firmware, IMEI and IMSI, one a line", runInfo);
    info->add_flag("--json", i->json, "One JSON object");

    auto [list, l] = command("list",
                             "The files of a folder: name, size and index a line, then "
                             "the memory",
                             runList);
    addFolder(*list, *l);
    list->add_flag("--json", l->json, "One JSON object of the files and the memory figures");

    auto [send, s] =
        command("send", "Send files to the phone: name, size and CRC of each file sent", runSend);
    addFolder(*send, *s);
    send->add_option("FILE", s->files, "The files (pictures: GIF, JPG; sounds: MMF)")->required();
    std::vector<std::string> blocks{"auto"};
    for (uint32_t size : PhoneBlockSizes)
        blocks.push_back(std::to_string(size));
    send->add_option("--block", s->block, "Block size (default auto: as the phone says)")
        ->type_name("auto|128|256|512|1024|2048")
        ->check(CLI::IsMember(blocks).description(""));

    auto [del, d] =
        command("delete", "Delete files of the phone; prints each file deleted", runDelete);
    addFolder(*del, *d);
    del->add_option("INDEX", d->indexes, "The files' indexes, as phone list shows them")
        ->required()
        ->check(CLI::Range(0, 65535));
    del->add_flag("--yes", d->yes, "Needed: without it the question is answered No");

    addPhoneSim(app, out);
}

namespace {

std::atomic<bool> simulatorStop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void stopSimulator(int) {
    simulatorStop = true;
}

struct SimOptions {
    std::vector<std::string> faults;
    std::string store;
};

void runPhoneSim(const SimOptions& o) {
    SimulatorOptions options;
    options.storeDir = o.store;
    for (const std::string& faultText : o.faults) {
        std::string problem;
        options.faults.push_back(*ParseSimulatorFault(faultText, problem));
    }
    std::string error;
    const std::unique_ptr<PhoneSimulator> simulator =
        PhoneSimulator::Create(std::move(options), error);
    if (!simulator)
        fail("no pseudo terminal: " + error);
    struct sigaction stop {};
    stop.sa_handler = stopSimulator;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    // Whoever started us reads this line before opening the device.
    std::cout << simulator->devicePath() << std::endl;
    simulator->run(simulatorStop);
}

void addPhoneSim(CLI::App& app, Output& out) {
    CLI::App* sim = AddCommand(app, "phone-sim",
                               "Play a Samsung phone on a pseudo terminal until stopped; prints "
                               "the device path first",
                               out);
    auto o = std::make_shared<SimOptions>();
    const CLI::Validator faultCheck(
        [](const std::string& text) -> std::string {
            std::string problem;
            return ParseSimulatorFault(text, problem) ? std::string() : problem;
        },
        "", "fault");
    sim->add_option("--fault", o->faults,
                    "A misbehaviour KIND[=VALUE]:TARGET (repeatable). KIND: silent, garbage, "
                    "error[=TEXT], crcerr, cut, slow[=MS]; TARGET: a command as sent without "
                    "its CR (a final * matches its start) or block:N")
        ->type_name("FAULT")
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false)
        ->check(faultCheck);
    sim->add_option("--store", o->store,
                    "Keep the phone's files in DIR/pictures and DIR/sounds (default: in memory)")
        ->type_name("DIR");
    sim->callback([o] { runPhoneSim(*o); });
}

} // namespace

} // namespace tovallo::cli
