#pragma once
// What every fuzz target shares: quiet dialogs, a scratch directory for the files a reader takes
// by name, a firmware opened from the input's bytes, and a check that stops the run loudly.

#include "workspace/Dialogs.h"
#include "workspace/PhoneProfile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovallo {
class Workspace;
}

namespace tovallo::fuzz {

// Shows nothing, answers every question No (or Cancel) and chooses no file.
class QuietDialogs : public Dialogs {
  public:
    void inform(int, const std::string&) override {}
    void warn(int, const std::string&) override {}
    void error(int, const std::string&) override {}
    bool ask(int, const std::string&) override { return false; }
    bool askText(const std::string&) override { return false; }
    Answer askYesNoCancel(int, const std::string&) override { return Answer::Cancel; }
    void errorText(const std::string&) override {}
    void informText(const std::string&) override {}
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

// A path in this process's own scratch directory (removed when the process ends).
std::string ScratchPath(const std::string& name);
// Writes the bytes to ScratchPath(name) and returns the path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);
std::string_view AsText(const uint8_t* data, size_t size);
// A whole file's bytes (empty when it cannot be read).
std::string ReadFile(const std::string& path);

// The phone model an input's first byte selects, among the models whose flash starts at offset 0
// (E720's flash lies at 0x20000000, far beyond any fuzz input).
PhoneModel ModelFor(const uint8_t* data, size_t size);
// Writes the bytes as a firmware file and opens it read-only in `ws` with the model of ModelFor.
// False for an empty input, which is no firmware.
bool OpenFirmware(Workspace& ws, const uint8_t* data, size_t size);

// Stops the run with a report when `holds` is false: a property the reader must keep was broken.
// The abort's stack trace names the target and line.
void Require(bool holds, const char* what);

} // namespace tovallo::fuzz
