#pragma once

#include "workspace/Dialogs.h"
#include "workspace/Messages.h"
#include "workspace/PhoneProfile.h"
#include "workspace/Progress.h"

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tovallo::cli {

// Thrown by commands: status 1 for a failure, 2 for a usage error. main prints the message.
struct CliError : std::runtime_error {
    CliError(int status, const std::string& message)
        : std::runtime_error(message), status(status) {}
    int status;
};
[[noreturn]] void fail(const std::string& message);  // status 1
[[noreturn]] void usage(const std::string& message); // status 2

// Command-line arguments: positional words and "--name value" / "--flag" options. Which options
// take a value is told by the command.
class Args {
  public:
    Args(std::vector<std::string> words, const std::vector<std::string>& valueOptions);

    const std::vector<std::string>& positional() const { return positional_; }
    // The n-th positional word, or a usage error naming `what`.
    const std::string& at(size_t n, const std::string& what) const;
    bool flag(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    std::vector<std::string> values(const std::string& name) const; // repeated options
    // Fails with a usage error when an option outside `known` was given.
    void allowOnly(const std::vector<std::string>& known) const;

  private:
    std::vector<std::string> positional_;
    std::multimap<std::string, std::string> options_; // flags map to ""
};

// Address text forms ("0x...", "$...", decimal); a usage error otherwise.
uint32_t ParseNumber(const std::string& text, const std::string& what);
PhoneModel ParseModel(const std::optional<std::string>& text);
// "41 42 00", "414200" or "41,42" to bytes.
std::string ParseHexBytes(const std::string& text);
std::string ToHexBytes(const std::string& bytes);
// Windows-1251 text for the terminal.
std::string Cp1251ToUtf8(const std::string& text);

// Messages go to stderr; questions are answered Yes only with --yes (otherwise No, or Cancel
// where the question offers it).
class CliDialogs : public Dialogs {
  public:
    CliDialogs(const Messages& messages, bool yes) : messages_(messages), yes_(yes) {}
    void inform(int message, const std::string& appended = {}) override;
    void warn(int message, const std::string& appended = {}) override;
    void error(int message, const std::string& appended = {}) override;
    bool ask(int message, const std::string& appended = {}) override;
    Answer askYesNoCancel(int message, const std::string& appended = {}) override;
    void errorText(const std::string& text) override;
    void informText(const std::string& text) override;
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    int errors() const { return errors_; }

  private:
    void print(const char* kind, int message, const std::string& appended);
    const Messages& messages_;
    bool yes_;
    int errors_ = 0;
};

using CommandFn = int (*)(const std::vector<std::string>& words);

// Each command file registers its commands with a static CommandRegistration.
struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFn run);
};

struct Command {
    std::string name;
    std::string usage;
    CommandFn run;
};
const std::vector<Command>& Commands();

} // namespace tovallo::cli

namespace tovallo {
class Workspace;
}

namespace tovallo::cli {

// Terminal (UTF-8) text to Windows-1251; characters outside that code page become '?'.
std::string Utf8ToCp1251(const std::string& text);

// Opens the firmware into `ws` with the model chosen; a refusal fails the command.
void OpenFirmwareOrFail(Workspace& ws, const std::string& path, PhoneModel model, bool writable);

} // namespace tovallo::cli
