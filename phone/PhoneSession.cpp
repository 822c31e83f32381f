#include "phone/PhoneSession.h"

#include "workspace/Settings.h"

#include <filesystem>

namespace tovallo {

namespace fs = std::filesystem;

PhoneSession::PhoneSession(Dialogs& dialogs, Progress& progress, const Messages& messages,
                           const std::string& configDir)
    : settingsPath_((fs::path(configDir) / SettingsFileName).string()),
      link_(port_, dialogs, progress, messages, (fs::path(configDir) / PhoneLogFileName).string()),
      files_(link_) {}

bool PhoneSession::Connect(const PhoneLinkSettings& settings) {
    return Connect(PortDevice(settingsPath_, settings.PhonePort), settings.PhoneBaud,
                   settings.PhoneTimeOut);
}

bool PhoneSession::Connect(const std::string& device, int baud, std::chrono::milliseconds timeOut) {
    link_.setTimeOut(timeOut);
    return link_.Connect(device, baud);
}

} // namespace tovallo
