#include "cli/CliSupport.h"

#include "strings/Cp1251.h"
#include "workspace/HexText.h"
#include "workspace/Settings.h"
#include "workspace/UndoFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace tovallo::cli {

void fail(const std::string& message) {
    throw CliError(1, message);
}
void usage(const std::string& message) {
    throw CliError(2, message);
}

void Output::success(const std::string& line) const {
    if (!quiet)
        std::cout << line << '\n';
}

CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     Output& out, const std::string& quietHelp) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->add_flag("--quiet", out.quiet, quietHelp);
    return command;
}

CLI::App* AddCommandGroup(CLI::App& parent, const std::string& name,
                          const std::string& description) {
    CLI::App* group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

CLI::Validator AddressText() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto value = ParseHexAddr(text);
            if (!value)
                return NotAnIntegerText(text);
            text = std::to_string(*value);
            return {};
        },
        "", "address");
}

namespace {

std::string hexDigitsOf(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    return digits;
}

} // namespace

CLI::Validator HexBytesText() {
    return CLI::Validator(
        [](const std::string& text) -> std::string {
            for (char c : text)
                if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ' ' && c != ',' &&
                    c != ':' && c != '\t')
                    return "\"" + text + "\" is not a list of hexadecimal bytes";
            if (hexDigitsOf(text).size() % 2 != 0)
                return "\"" + text + "\" has an odd number of hexadecimal digits";
            return {};
        },
        "", "hex bytes");
}

CLI::Option* AddModelOption(CLI::App& command, PhoneModel& model) {
    const CLI::Validator modelName(
        [](std::string& text) -> std::string {
            const auto m = ModelFromCliName(text);
            if (!m)
                return "unknown phone model \"" + text +
                       "\" (C200, X120, P730, E720, E710 or E850)";
            text = std::to_string(static_cast<int>(*m));
            return {};
        },
        "", "model");
    return command.add_option("--model", model, "Phone model: C200, X120, P730, E720, E710, E850")
        ->type_name("MODEL")
        ->transform(modelName);
}

std::string ParseHexBytes(const std::string& text) {
    const std::string digits = hexDigitsOf(text);
    std::string out;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return out;
}

std::string ToHexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::string Cp1251OrFail(const std::string& utf8, const std::string& what) {
    Cp1251Result result = Utf8ToCp1251(utf8);
    if (!result.text)
        fail(what + ": " + result.problem());
    return std::move(*result.text);
}

std::string CliDialogs::text(int message, const std::string& appended) const {
    std::string text = ComposedTextToUtf8(messages_.text(message) + appended);
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

void CliDialogs::inform(int message, const std::string& appended) {
    out_.success(text(message, appended));
}
void CliDialogs::warn(int message, const std::string& appended) {
    std::cerr << "warning: " << text(message, appended) << '\n';
}
void CliDialogs::error(int message, const std::string& appended) {
    std::cerr << "error: " << text(message, appended) << '\n';
}
bool CliDialogs::ask(int message, const std::string& appended) {
    std::cerr << (yes_ ? "(answered Yes) " : "(answered No; --yes answers Yes) ")
              << text(message, appended) << '\n';
    return yes_;
}
// The only such question is the rollback offer after a failed save. The command line keeps the
// undo file instead, whatever --yes says: "tovallo-cli undo FIRMWARE --write" rolls back.
bool CliDialogs::askText(const std::string& question) {
    std::string line = ComposedTextToUtf8(question);
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::cerr << "(answered No; \"tovallo-cli undo FIRMWARE --write\" rolls back) " << line << '\n';
    return false;
}
// Without --yes the answer is Cancel, not No: No would discard queued work that nobody saw.
Dialogs::Answer CliDialogs::askYesNoCancel(int message, const std::string& appended) {
    std::cerr << (yes_ ? "(answered Yes) " : "(answered Cancel; --yes answers Yes) ")
              << text(message, appended) << '\n';
    return yes_ ? Answer::Yes : Answer::Cancel;
}
void CliDialogs::informText(const std::string& text) {
    out_.success(ComposedTextToUtf8(text));
}
void CliDialogs::errorText(const std::string& text) {
    std::cerr << "error: " << ComposedTextToUtf8(text) << '\n';
}

namespace {

// Collects a refusal so the command can fail with one line.
class CollectingDialogs : public CliDialogs {
  public:
    CollectingDialogs(const Messages& m, const Output& out) : CliDialogs(m, out, false) {}
    void errorText(const std::string& text) override { message = text; }
    std::string message;
};

} // namespace

void OpenFirmwareOrFail(Workspace& ws, const std::string& path, PhoneModel model, bool writable,
                        bool noteUndoFile) {
    ws.SelectModel(model);
    const Output quiet{true};
    CollectingDialogs dialogs(ws.messages, quiet);
    if (!ws.OpenFirmware(path, dialogs, writable))
        fail(ComposedTextToUtf8(dialogs.message));
    if (!writable)
        return;
    // A save into this firmware writes its undo file beside it, else beside the settings. The
    // undo file an unfinished save left stays for later: a new save keeps its bytes inside its
    // own undo file, and `undo --write` rolls back.
    ws.undoFolder = DefaultConfigDir();
    const auto undo = FindUndoFile(ws.firmware.path(), ws.undoFolder);
    if (!undo || !noteUndoFile)
        return;
    ws.keptUndoFile = *undo;
    std::cerr << "note: a save into " << path << " did not finish; its undo file " << *undo
              << " is kept (\"tovallo-cli undo\" shows it, \"undo --write\" rolls back)\n";
}

} // namespace tovallo::cli
