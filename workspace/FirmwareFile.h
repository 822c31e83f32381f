#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tovallo {

// The open firmware: positioned reads and writes straight on the file, never loaded whole.
class FirmwareFile {
  public:
    // Opens `path` for reading and writing (or only reading). An empty file is no firmware and
    // is refused. On failure returns false, sets `error` to a readable reason and leaves the
    // file that was open before untouched.
    bool open(const std::string& path, std::string& error, bool writable = true);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Size taken when the file was opened; writes do not change it.
    int32_t size() const { return size_; }
    // Whether `path` names the open file (device and inode, links followed), whatever its name.
    bool isSameFileAs(const std::string& path) const;
    // Changes with every open, close and write, never returning to an earlier value (across
    // all files), so bytes read at one version are still the file's bytes while it holds.
    uint64_t version() const { return version_; }

    // Reads up to `count` bytes at `offset`; returns the bytes read (0 beyond the end, which is
    // the size taken at opening).
    size_t readAt(uint64_t offset, size_t count, uint8_t* buffer);
    // Writes over the existing content; returns false (errno set) when the write failed.
    bool writeAt(uint64_t offset, const uint8_t* bytes, size_t count);
    // Puts every written byte on the disk (buffers flushed, then the file synced).
    bool flush();

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::string path_;
    int32_t size_ = 0;
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
    uint64_t version_ = 0;

    // Small reads (table entries, strings) are served from one block read at the first of them,
    // so walking a table costs no system call per entry. The block holds while the version does.
    static constexpr size_t BlockSize = 4096;
    std::vector<uint8_t> block_;
    uint64_t blockBase_ = 0;
    size_t blockFill_ = 0;
    uint64_t blockVersion_ = 0;
};

// Size of a file in bytes, or -1 when it cannot be read.
int64_t FileSizeOf(const std::string& path);

} // namespace tovallo
