#include "workspace/IniFile.h"

#include "workspace/OutputFile.h"

#include <cctype>
#include <filesystem>
#include <fstream>

namespace tovallo {

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The name of a "[name]" line, or nothing.
bool sectionName(const std::string& line, std::string& name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::load() {
    lines_.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec))
        return true;
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
    }
    return !in.bad();
}

bool IniFile::save() const {
    std::string text;
    for (const std::string& line : lines_)
        text += line + "\r\n";
    OutputFile out = OutputFile::Create(path_);
    return out.write(text) && out.commit();
}

long IniFile::findSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (sectionName(lines_[i], name) && sameText(name, section))
            return static_cast<long>(i);
    return -1;
}

long IniFile::findKey(long header, const std::string& key) const {
    std::string name;
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        if (sectionName(lines_[i], name))
            break;
        const auto eq = lines_[i].find('=');
        if (eq != std::string::npos && sameText(trim(lines_[i].substr(0, eq)), key))
            return static_cast<long>(i);
    }
    return -1;
}

bool IniFile::has(const std::string& section, const std::string& key) const {
    const long header = findSection(section);
    return header >= 0 && findKey(header, key) >= 0;
}

std::string IniFile::get(const std::string& section, const std::string& key) const {
    const long header = findSection(section);
    if (header < 0)
        return {};
    const long at = findKey(header, key);
    if (at < 0)
        return {};
    const std::string& line = lines_[static_cast<size_t>(at)];
    std::string value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    long header = findSection(section);
    if (header < 0) {
        if (!lines_.empty() && !trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    const long at = findKey(header, key);
    if (at >= 0) {
        std::string& line = lines_[static_cast<size_t>(at)];
        line = trim(line.substr(0, line.find('='))) + "=" + value;
        return;
    }
    // After the last non-blank line of the section.
    size_t insertAt = static_cast<size_t>(header) + 1;
    std::string name;
    for (size_t i = insertAt; i < lines_.size() && !sectionName(lines_[i], name); ++i)
        if (!trim(lines_[i]).empty())
            insertAt = i + 1;
    lines_.insert(lines_.begin() + static_cast<long>(insertAt), key + "=" + value);
}

} // namespace tovallo
