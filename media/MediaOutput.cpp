#include "media/MediaOutput.h"

#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace tovallo {

namespace fs = std::filesystem;

namespace {

constexpr size_t CopyBlock = 1 << 16;

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The file a write to `path` lands in: a symbolic link is followed, so the link stays.
fs::path resolvedTarget(const std::string& path) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path) : resolved;
}

// The mode the new file gets: that of the file it replaces, else the default of new files.
mode_t outputMode(const fs::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

bool OutputAllowed(const Workspace& ws, const std::string& path,
                   const std::vector<std::string>& inputs, Dialogs& dialogs) {
    if (ws.FwIsOpen() && sameFile(path, ws.firmware.path())) {
        dialogs.errorText("\"" + path + "\" is the open firmware; it is not written.");
        return false;
    }
    for (const std::string& input : inputs)
        if (sameFile(path, input)) {
            dialogs.errorText("\"" + path + "\" is the file being read; it is not written.");
            return false;
        }
    std::error_code ec;
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec)) {
        dialogs.errorText("\"" + path + "\" is no regular file; it is not written.");
        return false;
    }
    return true;
}

bool WriteOutputFile(const std::string& path, const std::function<bool(std::FILE*)>& produce,
                     const std::vector<std::string>& inputs, const Workspace& ws,
                     Dialogs& dialogs) {
    if (!OutputAllowed(ws, path, inputs, dialogs))
        return false;
    const fs::path target = resolvedTarget(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        dialogs.errorText("Cannot create a file in \"" + folder.string() +
                          "\": " + std::strerror(errno) + ".");
        return false;
    }
    ::fchmod(fd, outputMode(target));
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "wb"));
    errno = 0;
    bool ok = file && produce(file.get()) && std::fflush(file.get()) == 0 &&
              ::fsync(::fileno(file.get())) == 0;
    const int writeErrno = errno;
    if (file)
        ok = std::fclose(file.release()) == 0 && ok;
    else
        ::close(fd);
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0)
        return true;
    const int err = ok ? errno : writeErrno;
    ::unlink(temp.c_str());
    dialogs.errorText("Cannot write \"" + path + "\": " +
                      (err != 0 ? std::strerror(err) : "the data could not be read") + ".");
    return false;
}

bool WriteOutputFile(const std::string& path, const std::string& bytes,
                     const std::vector<std::string>& inputs, const Workspace& ws,
                     Dialogs& dialogs) {
    return WriteOutputFile(
        path,
        [&bytes](std::FILE* f) {
            return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        },
        inputs, ws, dialogs);
}

bool ExportFirmwareRange(Workspace& ws, uint32_t offset, uint32_t size, const std::string& path,
                         Dialogs& dialogs) {
    if (uint64_t{offset} + size > static_cast<uint64_t>(ws.FwSize())) {
        dialogs.warn(msg::EndOfFile);
        return false;
    }
    if (!OutputAllowed(ws, path, {}, dialogs))
        return false;
    std::error_code ec;
    if (fs::exists(path, ec) && !dialogs.ask(msg::FileExists))
        return false;
    return WriteOutputFile(
        path,
        [&](std::FILE* f) {
            std::vector<uint8_t> block(std::min<size_t>(CopyBlock, size));
            uint64_t at = offset;
            for (uint32_t left = size; left > 0;) {
                const size_t want = std::min<size_t>(block.size(), left);
                if (ws.ReadAt(static_cast<uint32_t>(at), want, block.data()) != want ||
                    std::fwrite(block.data(), 1, want, f) != want)
                    return false;
                at += want;
                left -= static_cast<uint32_t>(want);
            }
            return true;
        },
        {}, ws, dialogs);
}

} // namespace tovallo
