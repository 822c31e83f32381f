#include "phone/PhoneLink.h"

#include "phone/ComPorts.h"
#include "phone/ReplyText.h"
#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Progress.h"

namespace tovallo {

namespace {

constexpr const char* ResetCommand = "ATZ\r";
constexpr int HandshakeReads = 32;
constexpr int HandshakePasses = 9; // the ninth pass fails whatever it reads

} // namespace

std::string FirmwareFromInfo(std::string reply) {
    for (int i = 0; i < 13; ++i) {
        const size_t comma = reply.find(',');
        if (comma == std::string::npos)
            return {};
        reply.erase(0, comma + 2);
    }
    return reply.substr(0, reply.find('"'));
}

PhoneLink::PhoneLink(SerialPort& port, Dialogs& dialogs, Progress& progress,
                     const Messages& messages, std::string logPath)
    : port_(port), dialogs_(dialogs), progress_(progress), messages_(messages),
      channel_(port, progress, std::move(logPath)) {}

bool PhoneLink::Fail(int message) {
    port_.ClosePort();
    panels_.showDisconnected();
    identity_ = {};
    dialogs_.error(message);
    return false;
}

// Writes "ATZ" and reads in passes of 32 reads until a pass's reads together hold "OK" (a reply
// may come in pieces). A pass whose last read brought nothing writes "ATZ" again.
bool PhoneLink::Handshake() {
    port_.WritePort(ResetCommand);
    std::string piece;
    for (int pass = 1;; ++pass) {
        std::string seen;
        size_t last = 0;
        for (int i = 0; i < HandshakeReads; ++i) {
            progress_.pump();
            last = port_.ReadPort(piece);
            if (seen.size() < MaxReplySize)
                seen += piece;
            if (last > 0 && seen.find("OK") != std::string::npos)
                break;
        }
        if (pass == HandshakePasses)
            return false;
        if (last > 0)
            return true;
        port_.WritePort(ResetCommand);
    }
}

bool PhoneLink::Ask(const std::string& command, std::string& value) {
    value.clear();
    std::string reply;
    if (channel_.AtExchange(command, reply) < 0)
        return false;
    if (!ReplyError(reply)) {
        CleanReply(reply);
        value = std::move(reply);
    }
    return true;
}

bool PhoneLink::Connect(const std::string& device, int baud) {
    if (connected_)
        return true;
    if (!port_.OpenPort(device, baud))
        return Fail(msg::PhoneNotConnected);
    if (port_.SetDtr(true) == SerialPort::DtrResult::Failed)
        dialogs_.error(msg::PhoneNotConnected);
    if (!Handshake())
        return Fail(msg::PhoneNotConnected);

    std::string maker;
    if (channel_.AtExchange("AT+CGMI\r", maker) < 0)
        return Fail(msg::PhoneNotConnected);
    if (maker.find("Samsung") == std::string::npos)
        return Fail(msg::ModelNotSupported);

    PhoneIdentity id;
    std::string info;
    if (!Ask("AT+CGMM\r", id.model) || !Ask("AT+INFO\r", info) || !Ask("AT+CGSN\r", id.imei) ||
        !Ask("AT+CIMI\r", id.imsi))
        return Fail(msg::PhoneNotConnected);
    id.firmware = FirmwareFromInfo(info);

    identity_ = id;
    panels_.set(StatusPanels::Model, "Model: " + id.model);
    panels_.set(StatusPanels::Firmware, "Firmware: " + id.firmware);
    panels_.set(StatusPanels::Imei, "IMEI: " + id.imei);
    panels_.set(StatusPanels::Imsi, "IMSI: " + id.imsi);
    connected_ = true;
    return true;
}

void PhoneLink::Disconnect() {
    if (!connected_)
        return;
    connected_ = false;
    // A phone that just let an exchange time out would only make the reset wait once more.
    if (channel_.lastTimedOut()) {
        port_.WritePort(ResetCommand);
    } else {
        std::string reply;
        channel_.AtExchange(ResetCommand, reply);
    }
    if (port_.SetDtr(false) == SerialPort::DtrResult::Failed)
        dialogs_.error(msg::PhoneNotConnected);
    port_.ClosePort();
    identity_ = {};
    panels_.showDisconnected();
}

} // namespace tovallo
