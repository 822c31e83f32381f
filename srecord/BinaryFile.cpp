#include "srecord/BinaryFile.h"

#include <filesystem>

namespace tovallo {

BinaryFile::BinaryFile(std::FILE* f) : file_(f) {
    if (file_)
        std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

BinaryFile BinaryFile::OpenForReading(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    return BinaryFile(std::fopen(path.c_str(), "rb"));
}

size_t BinaryFile::read(void* buffer, size_t count) {
    return file_ ? std::fread(buffer, 1, count, file_.get()) : 0;
}

bool BinaryFile::seek(int64_t offset) {
    return file_ && offset >= 0 && fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
}

int64_t BinaryFile::size() {
    if (!file_ || fseeko(file_.get(), 0, SEEK_END) != 0)
        return -1;
    const int64_t end = ftello(file_.get());
    return seek(0) ? end : -1;
}

} // namespace tovallo
