#pragma once

#include "phone/ComPorts.h"
#include "phone/PhoneFileManager.h"
#include "phone/PhoneLink.h"
#include "phone/PhoneSettings.h"

#include <chrono>
#include <string>

namespace tovallo {

class Dialogs;
class Messages;
class Progress;

// What a front end holds for the phone: the serial port, the link and the file manager, with
// the log and the [Ports] section beside the settings file in `configDir`.
class PhoneSession {
  public:
    PhoneSession(Dialogs& dialogs, Progress& progress, const Messages& messages,
                 const std::string& configDir);

    // Connects on COM `settings.PhonePort`, whose device the [Ports] section names.
    bool Connect(const PhoneLinkSettings& settings);
    // Connects on a device given by its path.
    bool Connect(const std::string& device, int baud, std::chrono::milliseconds timeOut);
    void Disconnect() { link_.Disconnect(); }

    PhoneLink& link() { return link_; }
    PhoneFileManager& files() { return files_; }
    const std::string& settingsPath() const { return settingsPath_; }

  private:
    std::string settingsPath_;
    TermiosPort port_;
    PhoneLink link_;
    PhoneFileManager files_;
};

} // namespace tovallo
