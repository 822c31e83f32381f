#include "workspace/FirmwareFile.h"

#include "workspace/WriteFaults.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tovallo {

namespace {

uint64_t NextVersion() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

bool seekTo(std::FILE* f, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

} // namespace

int64_t FileSizeOf(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return -1;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

bool FirmwareFile::open(const std::string& path, std::string& error, bool writable) {
    const int64_t size = FileSizeOf(path);
    if (size < 0) {
        error = "Cannot open \"" + path + "\": no such file.";
        return false;
    }
    if (size == 0) {
        error = "Cannot open \"" + path + "\": the file is empty, it holds no firmware.";
        return false;
    }
    if (size > std::numeric_limits<int32_t>::max()) {
        error = "Cannot open \"" + path + "\": the file is larger than 2 GiB.";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), writable ? "r+b" : "rb");
    if (!f) {
        error = "Cannot open \"" + path + "\" for " +
                (writable ? "reading and writing: " : "reading: ") + std::strerror(errno) + ".";
        return false;
    }
    struct stat st {};
    if (fstat(fileno(f), &st) != 0) {
        error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
        std::fclose(f);
        return false;
    }
    file_.reset(f);
    path_ = path;
    size_ = static_cast<int32_t>(size);
    device_ = static_cast<uint64_t>(st.st_dev);
    inode_ = static_cast<uint64_t>(st.st_ino);
    version_ = NextVersion();
    return true;
}

void FirmwareFile::close() {
    file_.reset();
    path_.clear();
    size_ = 0;
    device_ = inode_ = 0;
    version_ = NextVersion();
}

bool FirmwareFile::isSameFileAs(const std::string& path) const {
    struct stat st {};
    return file_ && stat(path.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_dev) == device_ &&
           static_cast<uint64_t>(st.st_ino) == inode_;
}

size_t FirmwareFile::readAt(uint64_t offset, size_t count, uint8_t* buffer) {
    // The firmware never grows: nothing lies beyond the size taken at opening.
    if (!file_ || count == 0 || offset >= static_cast<uint64_t>(size_))
        return 0;
    if (count > BlockSize)
        return seekTo(file_.get(), offset) ? std::fread(buffer, 1, count, file_.get()) : 0;
    const bool inBlock = blockVersion_ == version_ && offset >= blockBase_ &&
                         offset - blockBase_ + count <= blockFill_;
    if (!inBlock) {
        // Aligned blocks, so reads scattered over one block share it; a read across a block
        // boundary gets a block of its own.
        uint64_t base = offset - offset % BlockSize;
        if (offset + count > base + BlockSize)
            base = offset;
        if (!seekTo(file_.get(), base))
            return 0;
        block_.resize(BlockSize);
        blockFill_ = std::fread(block_.data(), 1, BlockSize, file_.get());
        blockBase_ = base;
        blockVersion_ = version_;
    }
    const uint64_t skip = offset - blockBase_;
    const size_t got =
        skip >= blockFill_ ? 0 : std::min(count, blockFill_ - static_cast<size_t>(skip));
    std::memcpy(buffer, block_.data() + skip, got);
    return got;
}

bool FirmwareFile::writeAt(uint64_t offset, const uint8_t* bytes, size_t count) {
    if (!file_ || !seekTo(file_.get(), offset))
        return false;
    version_ = NextVersion();
    const size_t allowed = WriteAllowance(count);
    if (std::fwrite(bytes, 1, allowed, file_.get()) != allowed)
        return false;
    return allowed == count || WriteFaultStrikes();
}

bool FirmwareFile::flush() {
    if (!file_ || std::fflush(file_.get()) != 0 || !SyncAllowed())
        return false;
#ifdef _WIN32
    return _commit(_fileno(file_.get())) == 0;
#else
    return fsync(fileno(file_.get())) == 0;
#endif
}

} // namespace tovallo
