#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace tovallo {

// A file read or written in large blocks of our own, so the C library adds no buffering of its
// own on top.
class BinaryFile {
  public:
    BinaryFile() = default;

    // A regular file opened for reading; not open when it is missing or no regular file.
    static BinaryFile OpenForReading(const std::string& path);
    // A new or truncated file opened for writing; not open on failure.
    static BinaryFile Create(const std::string& path);

    bool isOpen() const { return file_ != nullptr; }
    // Reads up to `count` bytes; 0 at the end of the file or on an error.
    size_t read(void* buffer, size_t count);
    bool write(const void* data, size_t count);
    bool write(const std::string& text) { return write(text.data(), text.size()); }
    bool seek(int64_t offset);
    // Size of the file, -1 when unknown. Moves the position to the start.
    int64_t size();
    // Closes the file; false when the last data could not be written.
    bool close();

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    explicit BinaryFile(std::FILE* f);
    std::unique_ptr<std::FILE, Closer> file_;
};

} // namespace tovallo
