#pragma once

#include "phone/AtChannel.h"
#include "phone/StatusPanels.h"

#include <chrono>
#include <string>

namespace tovallo {

class Dialogs;
class Messages;
class Progress;
class SerialPort;

// What the phone tells about itself when connecting; a value it refused to give stays empty.
struct PhoneIdentity {
    std::string model;
    std::string firmware;
    std::string imei;
    std::string imsi;
};

// The connection to a Samsung phone: opens the port, wakes the phone, checks that it is a
// Samsung, reads its identity into the status panels; and the disconnect. Failures are shown
// through `dialogs` (message 30 for a port that does not open or a phone that does not answer,
// 35 for another maker) and leave the link disconnected with the port closed.
class PhoneLink {
  public:
    PhoneLink(SerialPort& port, Dialogs& dialogs, Progress& progress, const Messages& messages,
              std::string logPath);

    // The reply time-out; it takes effect at the next wait.
    void setTimeOut(std::chrono::milliseconds timeOut) { channel_.setTimeOut(timeOut); }

    // Does nothing (true) when already connected.
    bool Connect(const std::string& device, int baud);
    // Does nothing unless connected.
    void Disconnect();
    bool PhoneConnected() const { return connected_; }

    const PhoneIdentity& identity() const { return identity_; }
    StatusPanels& panels() { return panels_; }
    AtChannel& channel() { return channel_; }
    Dialogs& dialogs() { return dialogs_; }
    Progress& progress() { return progress_; }
    const Messages& messages() const { return messages_; }

  private:
    bool Handshake();
    // One identity question; false when the phone fell silent. An error reply leaves `value`
    // empty.
    bool Ask(const std::string& command, std::string& value);
    bool Fail(int message);

    SerialPort& port_;
    Dialogs& dialogs_;
    Progress& progress_;
    const Messages& messages_;
    AtChannel channel_;
    StatusPanels panels_;
    PhoneIdentity identity_;
    bool connected_ = false;
};

// The firmware version in an AT+INFO reply (CR, LF and OK removed): what follows the 13th comma,
// less the one character after that comma (its opening quote), up to the next double quote.
// Empty when the reply has fewer than 13 commas.
std::string FirmwareFromInfo(std::string reply);

} // namespace tovallo
