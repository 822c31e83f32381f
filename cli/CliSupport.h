#pragma once

#include "workspace/Dialogs.h"
#include "workspace/Messages.h"
#include "workspace/PhoneProfile.h"
#include "workspace/Progress.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace tovallo {
class Workspace;
}

namespace tovallo::cli {

// Thrown by commands: status 1 for a failure, 2 for a usage error. main prints the message.
struct CliError : std::runtime_error {
    CliError(int status, const std::string& message)
        : std::runtime_error(message), status(status) {}
    int status;
};
[[noreturn]] void fail(const std::string& message);  // status 1
[[noreturn]] void usage(const std::string& message); // status 2

// Records (addresses, tables, sizes) always go to stdout; success messages ("wrote ...") go there
// too unless --quiet; warnings and failures go to stderr.
struct Output {
    bool quiet = false;
    void success(const std::string& line) const;
};

// A subcommand of `parent`, with its own --help and --quiet.
CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     Output& out, const std::string& quietHelp = "Print no success messages");
// A group of subcommands such as "s3": one of them must follow.
CLI::App* AddCommandGroup(CLI::App& parent, const std::string& name,
                          const std::string& description);

// Option checks. AddressText turns "0x0003F304", "$3F304" and decimals into the number;
// HexBytesText accepts "41 42 00", "414200" or "41,42".
CLI::Validator AddressText();
CLI::Validator HexBytesText();
// --model C200|X120|P730|E720|E710|E850 (default C200).
CLI::Option* AddModelOption(CLI::App& command, PhoneModel& model);

// Checked by HexBytesText before.
std::string ParseHexBytes(const std::string& text);
std::string ToHexBytes(const std::string& bytes);
// Terminal text to Windows-1251; text the code page lacks fails the command, naming `what`.
std::string Cp1251OrFail(const std::string& utf8, const std::string& what);

// Messages: information is a success message; warnings, errors and the answers to questions go
// to stderr; questions are answered Yes only with --yes (otherwise No, or Cancel where the
// question offers it).
class CliDialogs : public Dialogs {
  public:
    CliDialogs(const Messages& messages, const Output& out, bool yes)
        : messages_(messages), out_(out), yes_(yes) {}
    void inform(int message, const std::string& appended = {}) override;
    void warn(int message, const std::string& appended = {}) override;
    void error(int message, const std::string& appended = {}) override;
    bool ask(int message, const std::string& appended = {}) override;
    bool askText(const std::string& text) override;
    Answer askYesNoCancel(int message, const std::string& appended = {}) override;
    void errorText(const std::string& text) override;
    void informText(const std::string& text) override;
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }

  protected:
    std::string text(int message, const std::string& appended) const;

  private:
    const Messages& messages_;
    const Output& out_;
    bool yes_;
};

// Opens the firmware into `ws` with the model chosen; a refusal fails the command.
void OpenFirmwareOrFail(Workspace& ws, const std::string& path, PhoneModel model, bool writable,
                        bool noteUndoFile = true);

} // namespace tovallo::cli
