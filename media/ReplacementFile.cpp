#include "media/ReplacementFile.h"

#include "workspace/Dialogs.h"
#include "workspace/FirmwareFile.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace tovallo {

std::optional<uint32_t> ReplacementFileSize(const Workspace& ws, const std::string& path,
                                            uint32_t addr, Dialogs& dialogs) {
    const int64_t size = FileSizeOf(path);
    if (size < 0) {
        dialogs.errorText("Cannot read \"" + path + "\".");
        return std::nullopt;
    }
    if (size == 0) {
        dialogs.errorText("\"" + path + "\" is empty; it does not replace anything.");
        return std::nullopt;
    }
    if (int64_t{addr} + size > ws.FwSize()) {
        dialogs.warn(msg::EndOfFile);
        return std::nullopt;
    }
    return static_cast<uint32_t>(size);
}

std::optional<std::string> ReadReplacementFile(const std::string& path, uint32_t size,
                                               Dialogs& dialogs) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size, '\0');
    if (!in.read(bytes.data(), size) || in.peek() != std::ifstream::traits_type::eof()) {
        dialogs.errorText("Cannot read \"" + path + "\" whole.");
        return std::nullopt;
    }
    return bytes;
}

std::string BaseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
    return name.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace tovallo
