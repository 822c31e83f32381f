#pragma once

#include "workspace/IniFile.h"

#include <string>
#include <vector>

namespace tovallo {

class Messages;

// Per-user configuration directory: $XDG_CONFIG_HOME/Tovallo, default ~/.config/Tovallo
// (%APPDATA%\Tovallo on Windows), with a trailing separator. Created when missing.
std::string DefaultConfigDir();

inline constexpr const char* SettingsFileName = "Mardek.ini";

// What the main window has to do after the settings were read at start-up.
struct StartupSettings {
    bool showAbout = false; // first start: show the About box once
    // Menu component names whose click handlers run, in order (model, COM port, baud rate,
    // time-out); a name that is no menu item of the window is ignored by the window.
    std::vector<std::string> menuItemsToClick;
    bool autoRefresh = false;
    std::string languageFile; // full path of the language file to apply, empty for none
};

// The menu choices written when the main window closes (component names of checked items).
struct ClosingSettings {
    std::string phoneModel;
    std::string comPort;
    std::string baudRate;
    std::string timeOut;
    bool autoRefresh = false;
};

// The settings file "Mardek.ini" in the configuration directory.
class SettingsStore {
  public:
    explicit SettingsStore(std::string configDir);

    const std::string& configDir() const { return configDir_; }
    std::string settingsPath() const { return configDir_ + SettingsFileName; }

    // Fills `messages` with the defaults, reads the settings (writing Installed=1) and, when a
    // language file is named and exists, replaces the messages it gives.
    StartupSettings LoadSettings(Messages& messages);
    // Writes the menu choices; false when the file cannot be written.
    bool SaveSettings(const ClosingSettings& choices);

  private:
    std::string configDir_;
    IniFile ini_;
};

// A language file: captions by component name in "Form1" (main window), "Form2" (replace image
// dialog), "Form3" (change link dialog), and messages "Mes1".."Mes52" in "Messages".
class LanguageFile {
  public:
    explicit LanguageFile(const std::string& path);
    bool loaded() const { return loaded_; }
    // The caption for a component, empty when the file gives none.
    std::string caption(const std::string& section, const std::string& component) const;
    // Replaces message i by a non-empty "Mes" (i + 1).
    void applyMessages(Messages& messages) const;

  private:
    IniFile ini_;
    bool loaded_ = false;
};

} // namespace tovallo
