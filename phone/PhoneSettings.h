#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>

namespace tovallo {

// The phone link's choices: COM port 1..10, baud rate, reply time-out.
struct PhoneLinkSettings {
    int PhonePort = 4;
    int PhoneBaud = 115200;
    std::chrono::milliseconds PhoneTimeOut{1500};
};

inline constexpr std::array<int, 4> PhoneBaudRates{57600, 115200, 230400, 460800};
inline constexpr std::array<int, 7> PhoneTimeOutChoices{1000, 1500, 2000, 2500, 3000, 3500, 4000};
inline constexpr int PhonePortCount = 10;

// Component names of the menu items that carry the choices ("COM41" is COM4, "B115200",
// "ms1500"), as the settings file stores them; nothing for a name that is no such item.
std::string PortMenuItem(int port);
std::string BaudMenuItem(int baud);
std::string TimeOutMenuItem(int milliseconds);
std::optional<int> PortFromMenuItem(const std::string& name);
std::optional<int> BaudFromMenuItem(const std::string& name);
std::optional<int> TimeOutFromMenuItem(const std::string& name);

// The choices remembered in the settings file (PhoneCOMPort, PhoneBaudRate, PhoneTimeOut of
// [Main]); a missing or unknown value keeps its default.
PhoneLinkSettings ReadPhoneLinkSettings(const std::string& settingsPath);

// The device behind "COM" `port`: the value of that key in the [Ports] section of the settings
// file (COM4=/dev/ttyACM0), else /dev/ttyUSB(port - 1). The section is only read.
std::string PortDevice(const std::string& settingsPath, int port);

} // namespace tovallo
