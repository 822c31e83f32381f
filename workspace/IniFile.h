#pragma once

#include <string>
#include <vector>

namespace tovallo {

// An INI text file read and written like the Windows profile-string routines: sections and keys
// are matched without regard to case, values are stored raw (nothing escaped) and read with the
// blanks around them removed (and one pair of enclosing quotes). Writing a value keeps every
// other line of the file as it was.
class IniFile {
  public:
    IniFile() = default;
    explicit IniFile(std::string path);

    // Reads the file; a missing file is an empty one. Returns false when it exists but cannot
    // be read.
    bool load();
    // Writes the file back; false on a write error.
    bool save() const;

    const std::string& path() const { return path_; }
    // The value, or empty when the section or key is missing.
    std::string get(const std::string& section, const std::string& key) const;
    bool has(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);

  private:
    // Index of the section's header line, or -1.
    long findSection(const std::string& section) const;
    // Index of the key's line inside the section starting after `header`, or -1.
    long findKey(long header, const std::string& key) const;

    std::string path_;
    std::vector<std::string> lines_;
};

} // namespace tovallo
