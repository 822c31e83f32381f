#include "workspace/OutputFile.h"

#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"
#include "workspace/WriteFaults.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tovallo {

namespace fs = std::filesystem;

namespace {

// The file a write to `target` should replace: a symbolic link is followed, so the link stays
// and the file it names gets the new bytes.
fs::path resolvedTarget(const std::string& target) {
    std::error_code ec;
    const fs::path real = fs::canonical(target, ec);
    return ec ? fs::path(target) : real;
}

// The mode a new file gets: what the target had, or the usual 0666 less the umask.
mode_t modeFor(const std::string& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool CheckOutputTarget(const Workspace& ws, const std::string& output,
                       const std::vector<std::string>& inputs, Dialogs& dialogs) {
    const std::string quoted = "\"" + output + "\"";
    if (ws.firmware.isSameFileAs(output)) {
        dialogs.errorText(quoted + " is the open firmware; it is not written over. Choose "
                                   "another output file.");
        return false;
    }
    for (const std::string& input : inputs)
        if (SameFile(output, input)) {
            dialogs.errorText(quoted + " is a file this operation reads; it is not written over. "
                                       "Choose another output file.");
            return false;
        }
    struct stat st {};
    if (stat(output.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        dialogs.errorText(quoted + " is no regular file (a folder or a device); nothing was "
                                   "written.");
        return false;
    }
    return true;
}

bool ConfirmOutputs(const Workspace& ws, Dialogs& dialogs, const std::vector<std::string>& outputs,
                    const std::vector<std::string>& inputs) {
    for (const std::string& output : outputs)
        if (!CheckOutputTarget(ws, output, inputs, dialogs))
            return false;
    const bool anyExists = std::any_of(outputs.begin(), outputs.end(), [](const std::string& path) {
        std::error_code ec;
        return !path.empty() && std::filesystem::exists(path, ec);
    });
    return !anyExists || dialogs.ask(msg::FileExists);
}

OutputFile OutputFile::Create(const std::string& target) {
    OutputFile out;
    out.target_ = resolvedTarget(target).string();
    const fs::path where(out.target_);
    const fs::path name = where.filename();
    if (name.empty()) {
        out.error_ = "\"" + target + "\" names no file.";
        return out;
    }
    std::string temp = (where.parent_path() / ("." + name.string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        out.error_ =
            "Cannot create a file beside \"" + target + "\": " + std::strerror(errno) + ".";
        return out;
    }
    out.fd_ = fd;
    out.temp_ = temp;
    return out;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(other.fd_), target_(std::move(other.target_)), temp_(std::move(other.temp_)),
      error_(std::move(other.error_)), failed_(other.failed_) {
    other.fd_ = -1;
    other.temp_.clear();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = other.fd_;
        target_ = std::move(other.target_);
        temp_ = std::move(other.temp_);
        error_ = std::move(other.error_);
        failed_ = other.failed_;
        other.fd_ = -1;
        other.temp_.clear();
    }
    return *this;
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::fail(const std::string& what) {
    if (!failed_)
        error_ = what + " \"" + target_ + "\" failed: " + std::strerror(errno) + ".";
    failed_ = true;
    return false;
}

bool OutputFile::write(const void* data, size_t count) {
    if (fd_ < 0 || failed_)
        return false;
    const auto* p = static_cast<const char*>(data);
    const size_t allowed = WriteAllowance(count);
    const bool faulty = allowed < count;
    count = allowed;
    while (count > 0) {
        const ssize_t n = ::write(fd_, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("Writing");
        p += n;
        count -= static_cast<size_t>(n);
    }
    return !faulty || WriteFaultStrikes() || fail("Writing");
}

bool OutputFile::seek(int64_t offset) {
    if (fd_ < 0 || failed_)
        return false;
    if (offset < 0 || lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        return fail("Moving in");
    return true;
}

bool OutputFile::prepare() {
    if (fd_ < 0) {
        if (!temp_.empty())
            return !failed_; // prepared before
        if (error_.empty())
            error_ = "There is no file to write.";
        return false;
    }
    bool ok = !failed_;
    if (ok && (fchmod(fd_, modeFor(target_)) != 0 || !SyncAllowed() || fsync(fd_) != 0))
        ok = fail("Saving");
    if (close(fd_) != 0 && ok)
        ok = fail("Closing");
    fd_ = -1;
    if (!ok)
        discard();
    return ok;
}

bool OutputFile::commit() {
    if (!prepare())
        return false;
    bool ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        fail("Replacing");
        std::remove(temp_.c_str());
    } else {
        SyncFolder(fs::path(target_).parent_path().string());
    }
    temp_.clear();
    return ok;
}

void OutputFile::discard() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        std::remove(temp_.c_str());
        temp_.clear();
    }
}

OutputFile& OutputFileSet::create(const std::string& target) {
    files_.push_back(OutputFile::Create(target));
    return files_.back();
}

bool OutputFileSet::commitAll() {
    // Every file on the disk first: a failing one then leaves all targets as they were.
    for (OutputFile& f : files_)
        if (!f.prepare()) {
            error_ = f.error();
            for (OutputFile& other : files_)
                other.discard();
            return false;
        }
    for (OutputFile& f : files_)
        if (!f.commit()) {
            error_ = f.error();
            return false;
        }
    return true;
}

} // namespace tovallo
