#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace tovallo {

// A file read in large blocks of our own, so the C library adds no buffering of its own on top.
// Files are written through OutputFile (workspace/OutputFile.h).
class BinaryFile {
  public:
    BinaryFile() = default;

    // A regular file opened for reading; not open when it is missing or no regular file.
    static BinaryFile OpenForReading(const std::string& path);

    bool isOpen() const { return file_ != nullptr; }
    // Reads up to `count` bytes; 0 at the end of the file or on an error.
    size_t read(void* buffer, size_t count);
    bool seek(int64_t offset);
    // Size of the file, -1 when unknown. Moves the position to the start.
    int64_t size();

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    explicit BinaryFile(std::FILE* f);
    std::unique_ptr<std::FILE, Closer> file_;
};

} // namespace tovallo
