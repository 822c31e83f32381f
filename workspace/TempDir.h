#pragma once

#include <string>

namespace tovallo {

// A private directory (mode 0700) for this run's temporary files, removed with its contents
// when the object goes away. Created on first use.
class TempDir {
  public:
    TempDir() = default;
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    // The directory, with a trailing separator; empty when it could not be created.
    const std::string& path();
    // path() + name.
    std::string file(const std::string& name) { return path() + name; }

  private:
    std::string path_;
};

} // namespace tovallo
