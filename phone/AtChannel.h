#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace tovallo {

class Dialogs;
class Progress;
class SerialPort;

// The log of failed exchanges, beside the settings file.
inline constexpr const char* PhoneLogFileName = "fw.log";

// Terminators of AtExchange: the data prompt, the reply to a deletion's data byte, and none of
// its own (the exchange ends at "OK", at an error or at the time-out).
inline constexpr std::string_view DataPrompt = "\r\n>";
inline constexpr std::string_view CrcErrorEnd = "CRCERR\r\n";
inline constexpr std::string_view NoTerminator = "_";

// A longer reply is a phone out of control: the exchange ends as if it had timed out.
inline constexpr size_t MaxReplySize = 4096;

// AT commands over a serial port. Each exchange writes a command and collects the reply until it
// holds "OK", an error line, the terminator, or until the phone stays silent for the time-out;
// the time-out limits each pause, not the whole reply. Exchanges whose reply reports an error
// (other than ":-1", an empty slot) are appended to the log: the command as sent, then the reply
// as received.
class AtChannel {
  public:
    AtChannel(SerialPort& port, Progress& progress, std::string logPath);

    void setTimeOut(std::chrono::milliseconds timeOut) { timeOut_ = timeOut; }
    std::chrono::milliseconds timeOut() const { return timeOut_; }
    const std::string& logPath() const { return logPath_; }

    // Sends `command` (nothing when empty) and sets `reply` to the answer less the echo of the
    // command. Returns -1 when the exchange timed out (or the reply grew past MaxReplySize),
    // else the reply's length. The progress is pumped while waiting.
    int AtExchange(const std::string& command, std::string& reply,
                   std::string_view terminator = NoTerminator);

    // Whether the last exchange timed out: the phone is not answering, so nothing should wait
    // for it again.
    bool lastTimedOut() const { return lastTimedOut_; }

  private:
    // Reads until something arrives or the time-out passes; false on the time-out.
    bool waitForPiece(std::string& piece);
    void log(const std::string& command, const std::string& reply) const;

    SerialPort& port_;
    Progress& progress_;
    std::string logPath_;
    std::chrono::milliseconds timeOut_{1500};
    bool lastTimedOut_ = false;
};

// Shows the error a reply reports (an "ERROR:" line) and returns true; false, showing nothing,
// when there is none. The box shows `message` when it is given, otherwise message 34 for a phone
// out of memory ("NOMEMORY") or message 33 with the error text.
inline constexpr int NoOwnMessage = -1;
bool CheckReplyError(Dialogs& dialogs, int message, const std::string& reply);

} // namespace tovallo
