#include "workspace/Settings.h"

#include "workspace/Messages.h"

#include <cstdlib>
#include <filesystem>

namespace tovallo {

namespace fs = std::filesystem;

namespace {

constexpr const char* MainSection = "Main";

std::string withSeparator(const fs::path& p) {
    std::string s = p.string();
    if (!s.empty() && s.back() != '/' && s.back() != '\\')
        s += static_cast<char>(fs::path::preferred_separator);
    return s;
}

} // namespace

std::string DefaultConfigDir() {
    fs::path base;
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"))
        base = appData;
#else
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".config";
#endif
    if (base.empty())
        base = fs::current_path();
    const fs::path dir = base / "Tovallo";
    std::error_code ec;
    fs::create_directories(dir, ec);
    return withSeparator(dir);
}

SettingsStore::SettingsStore(std::string configDir)
    : configDir_(withSeparator(fs::path(configDir))), ini_(configDir_ + SettingsFileName) {}

StartupSettings SettingsStore::LoadSettings(Messages& messages) {
    messages = Messages();
    StartupSettings out;
    ini_.load();
    out.showAbout = ini_.get(MainSection, "Installed") != "1";
    ini_.set(MainSection, "Installed", "1");
    ini_.save();

    for (const char* key : {"PhoneModel", "PhoneCOMPort", "PhoneBaudRate", "PhoneTimeOut"}) {
        const std::string name = ini_.get(MainSection, key);
        if (!name.empty())
            out.menuItemsToClick.push_back(name);
    }
    out.autoRefresh = ini_.get(MainSection, "FileManagerAutoRefresh") == "1";

    const std::string language = ini_.get(MainSection, "Language");
    std::error_code ec;
    if (!language.empty() && fs::is_regular_file(configDir_ + language, ec)) {
        out.languageFile = configDir_ + language;
        LanguageFile(out.languageFile).applyMessages(messages);
    }
    return out;
}

bool SettingsStore::SaveSettings(const ClosingSettings& choices) {
    ini_.load(); // keep whatever the user edited meanwhile
    ini_.set(MainSection, "PhoneModel", choices.phoneModel);
    ini_.set(MainSection, "PhoneCOMPort", choices.comPort);
    ini_.set(MainSection, "PhoneBaudRate", choices.baudRate);
    ini_.set(MainSection, "PhoneTimeOut", choices.timeOut);
    ini_.set(MainSection, "FileManagerAutoRefresh", choices.autoRefresh ? "1" : "0");
    return ini_.save();
}

LanguageFile::LanguageFile(const std::string& path) : ini_(path) {
    std::error_code ec;
    loaded_ = fs::is_regular_file(path, ec) && ini_.load();
}

std::string LanguageFile::caption(const std::string& section, const std::string& component) const {
    return ini_.get(section, component);
}

void LanguageFile::applyMessages(Messages& messages) const {
    for (int i = 0; i < Messages::Count; ++i) {
        const std::string text = ini_.get("Messages", "Mes" + std::to_string(i + 1));
        if (!text.empty())
            messages.replace(i, text);
    }
}

} // namespace tovallo
