#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;

// Whether two paths name the same file: the same device and inode after following links, so a
// hard link or a symbolic link to a file counts as that file. False when either is missing.
bool SameFile(const std::string& a, const std::string& b);

// Puts a folder's entries (files created, renamed or removed in it) on the disk.
void SyncFolder(const std::string& folder);

// Refuses, with a message through `dialogs`, an output that is the open firmware of `ws`, one of
// `inputs`, or something that exists and is no regular file (a folder, a device). A missing
// output is fine. Callers check before they ask message 3 and before anything is created.
bool CheckOutputTarget(const Workspace& ws, const std::string& output,
                       const std::vector<std::string>& inputs, Dialogs& dialogs);

// CheckOutputTarget for each of `outputs`, then message 3 asked once when any of them exists.
// True when all may be written.
bool ConfirmOutputs(const Workspace& ws, Dialogs& dialogs, const std::vector<std::string>& outputs,
                    const std::vector<std::string>& inputs);

// A file written whole or not at all. The bytes go to a temporary file beside the target
// (".name.XXXXXX", the target's symbolic link followed), which is synced and renamed over the
// target by commit(). Destroyed without commit, it removes the temporary file: the target stays
// byte for byte as it was, and a new target is never created.
class OutputFile {
  public:
    OutputFile() = default;
    // Not open when the temporary file cannot be created; error() tells why.
    static OutputFile Create(const std::string& target);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& target() const { return target_; }
    // Why creating, a write or the commit failed.
    const std::string& error() const { return error_; }

    bool write(const void* data, size_t count);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    // Moves the write position; a position past the end leaves a gap that reads as zero.
    bool seek(int64_t offset);
    // Puts the written bytes on the disk, still under the temporary name. False (and the
    // temporary file gone) when a write or the sync failed. commit() does this first.
    bool prepare();
    // Puts the file in place of the target. False when any write failed or the rename did not
    // happen; the temporary file is gone either way.
    bool commit();
    // Drops the temporary file; the target stays as it was.
    void discard();

  private:
    bool fail(const std::string& what);

    int fd_ = -1;
    std::string target_;
    std::string temp_;
    std::string error_;
    bool failed_ = false;
};

// The outputs of one operation, put in place together at its end: a failure before commitAll
// leaves every target as it was and creates none.
class OutputFileSet {
  public:
    // The new output; check isOpen() (error() of the file tells why it is not).
    OutputFile& create(const std::string& target);
    // Commits every file in the order created; stops at the first failure (error() tells).
    bool commitAll();
    const std::string& error() const { return error_; }

  private:
    std::deque<OutputFile> files_;
    std::string error_;
};

} // namespace tovallo
