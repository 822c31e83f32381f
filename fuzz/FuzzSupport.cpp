#include "FuzzSupport.h"

#include "workspace/Workspace.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tovallo::fuzz {
namespace {

class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovallo-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace

std::string ScratchPath(const std::string& name) {
    static const ScratchDir dir;
    return (dir.path() / name).string();
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
    const std::string path = ScratchPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    Require(out.good(), "the scratch file was written");
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

PhoneModel ModelFor(const uint8_t* data, size_t size) {
    static constexpr PhoneModel flatModels[] = {
        PhoneModel::C200, PhoneModel::X120, PhoneModel::P730, PhoneModel::E710, PhoneModel::E850};
    return flatModels[size == 0 ? 0 : data[0] % std::size(flatModels)];
}

bool OpenFirmware(Workspace& ws, const uint8_t* data, size_t size) {
    if (size == 0)
        return false;
    const std::string path = WriteScratchFile("firmware.bin", AsText(data, size));
    QuietDialogs dialogs;
    Require(ws.OpenFirmware(path, dialogs, false), "a non-empty firmware opens");
    ws.SelectModel(ModelFor(data, size));
    ws.pumpInterval = std::chrono::milliseconds(0);
    return true;
}

void Require(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

} // namespace tovallo::fuzz
