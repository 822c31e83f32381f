#include "phone/PhoneSettings.h"

#include "phone/ReplyText.h"
#include "workspace/IniFile.h"

#include <algorithm>

namespace tovallo {

namespace {

template <size_t N> bool IsOneOf(const std::array<int, N>& choices, int value) {
    return std::find(choices.begin(), choices.end(), value) != choices.end();
}

// The number between `prefix` and `suffix` of `name`.
std::optional<int> NumberIn(const std::string& name, const std::string& prefix,
                            const std::string& suffix) {
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const auto value = ParseDecimal(digits);
    if (!value || *value > 1000000)
        return std::nullopt;
    return static_cast<int>(*value);
}

} // namespace

std::string PortMenuItem(int port) {
    return "COM" + std::to_string(port) + "1";
}
std::string BaudMenuItem(int baud) {
    return "B" + std::to_string(baud);
}
std::string TimeOutMenuItem(int milliseconds) {
    return "ms" + std::to_string(milliseconds);
}

std::optional<int> PortFromMenuItem(const std::string& name) {
    const auto port = NumberIn(name, "COM", "1");
    if (port && *port >= 1 && *port <= PhonePortCount)
        return port;
    return std::nullopt;
}

std::optional<int> BaudFromMenuItem(const std::string& name) {
    const auto baud = NumberIn(name, "B", "");
    return baud && IsOneOf(PhoneBaudRates, *baud) ? baud : std::nullopt;
}

std::optional<int> TimeOutFromMenuItem(const std::string& name) {
    const auto ms = NumberIn(name, "ms", "");
    return ms && IsOneOf(PhoneTimeOutChoices, *ms) ? ms : std::nullopt;
}

PhoneLinkSettings ReadPhoneLinkSettings(const std::string& settingsPath) {
    IniFile ini(settingsPath);
    ini.load();
    PhoneLinkSettings out;
    if (const auto port = PortFromMenuItem(ini.get("Main", "PhoneCOMPort")))
        out.PhonePort = *port;
    if (const auto baud = BaudFromMenuItem(ini.get("Main", "PhoneBaudRate")))
        out.PhoneBaud = *baud;
    if (const auto ms = TimeOutFromMenuItem(ini.get("Main", "PhoneTimeOut")))
        out.PhoneTimeOut = std::chrono::milliseconds(*ms);
    return out;
}

std::string PortDevice(const std::string& settingsPath, int port) {
    IniFile ini(settingsPath);
    ini.load();
    const std::string device = ini.get("Ports", "COM" + std::to_string(port));
    if (!device.empty())
        return device;
    return "/dev/ttyUSB" + std::to_string(port - 1);
}

} // namespace tovallo
