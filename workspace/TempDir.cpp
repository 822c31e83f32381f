#include "workspace/TempDir.h"

#include <filesystem>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <cstdlib>
#endif

namespace tovallo {

namespace fs = std::filesystem;

TempDir::~TempDir() {
    if (!path_.empty()) {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
}

const std::string& TempDir::path() {
    if (!path_.empty())
        return path_;
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec)
        return path_;
#ifndef _WIN32
    std::string templ = (base / "tovallo-XXXXXX").string();
    if (mkdtemp(templ.data()) != nullptr) // mkdtemp creates the directory with mode 0700
        path_ = templ + "/";
#else
    std::random_device rd;
    for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
        const fs::path dir = base / ("tovallo-" + std::to_string(rd()));
        if (fs::create_directory(dir, ec))
            path_ = dir.string() + "\\";
    }
#endif
    return path_;
}

} // namespace tovallo
