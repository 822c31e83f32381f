#include "media/MediaOutput.h"

#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <filesystem>

namespace tovallo {

namespace {

constexpr size_t CopyBlock = 1 << 16;

// Writes through `produce` into a temporary file that replaces `path` only when complete.
template <class Produce>
bool writeThrough(const std::string& path, const std::vector<std::string>& inputs,
                  const Workspace& ws, Dialogs& dialogs, Produce produce) {
    if (!CheckOutputTarget(ws, path, inputs, dialogs))
        return false;
    OutputFile out = OutputFile::Create(path);
    if (out.isOpen() && produce(out) && out.commit())
        return true;
    dialogs.errorText("Cannot write \"" + path + "\": " +
                      (out.error().empty() ? "the data could not be read" : out.error()) + ".");
    return false;
}

} // namespace

bool WriteOutputFile(const std::string& path, const std::string& bytes,
                     const std::vector<std::string>& inputs, const Workspace& ws,
                     Dialogs& dialogs) {
    return writeThrough(path, inputs, ws, dialogs,
                        [&bytes](OutputFile& out) { return out.write(bytes); });
}

bool ExportFirmwareRange(Workspace& ws, uint32_t offset, uint32_t size, const std::string& path,
                         Dialogs& dialogs) {
    if (uint64_t{offset} + size > static_cast<uint64_t>(ws.FwSize())) {
        dialogs.warn(msg::EndOfFile);
        return false;
    }
    if (!ConfirmOutputs(ws, dialogs, {path}, {}))
        return false;
    return writeThrough(path, {}, ws, dialogs, [&](OutputFile& out) {
        std::vector<uint8_t> block(std::min<size_t>(CopyBlock, size));
        uint64_t at = offset;
        for (uint32_t left = size; left > 0;) {
            const size_t want = std::min<size_t>(block.size(), left);
            if (ws.ReadAt(static_cast<uint32_t>(at), want, block.data()) != want ||
                !out.write(block.data(), want))
                return false;
            at += want;
            left -= static_cast<uint32_t>(want);
        }
        return true;
    });
}

} // namespace tovallo
