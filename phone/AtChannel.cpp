#include "phone/AtChannel.h"

#include "phone/ComPorts.h"
#include "phone/ReplyText.h"
#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Progress.h"

#include <fstream>

namespace tovallo {

namespace {

// An error line has ended: "ERR" outside quotes with CR LF among the 24 characters after it.
bool ErrorLineEnded(const std::string& reply) {
    const size_t at = FindOutsideQuotes(reply, "ERR");
    if (at == std::string::npos)
        return false;
    return reply.substr(at + 3, 24).find("\r\n") != std::string::npos;
}

} // namespace

AtChannel::AtChannel(SerialPort& port, Progress& progress, std::string logPath)
    : port_(port), progress_(progress), logPath_(std::move(logPath)) {}

bool AtChannel::waitForPiece(std::string& piece) {
    const auto deadline = std::chrono::steady_clock::now() + timeOut_;
    for (;;) {
        progress_.pump();
        if (port_.ReadPort(piece) > 0)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

int AtChannel::AtExchange(const std::string& command, std::string& reply,
                          std::string_view terminator) {
    if (!command.empty())
        port_.WritePort(command);
    reply.clear();
    bool timedOut = false;
    std::string piece;
    for (;;) {
        if (!waitForPiece(piece)) {
            timedOut = true;
            break;
        }
        reply += piece;
        if (reply.size() > MaxReplySize) {
            timedOut = true;
            break;
        }
        if (ContainsOutsideQuotes(reply, "OK\r\n") || ErrorLineEnded(reply))
            break;
        // "_" is no terminator, so a name such as ring_1 cannot end a reply.
        if (terminator != NoTerminator && reply.find(terminator) != std::string::npos)
            break;
    }
    if (ContainsOutsideQuotes(reply, "ERR") && reply.find(":-1") == std::string::npos)
        log(command, reply);
    if (!command.empty())
        if (const size_t echo = reply.find(command); echo != std::string::npos)
            reply.erase(echo, command.size());
    lastTimedOut_ = timedOut;
    return timedOut ? -1 : static_cast<int>(reply.size());
}

void AtChannel::log(const std::string& command, const std::string& reply) const {
    // The log is a help for the user; failing to write it changes nothing.
    std::ofstream out(logPath_, std::ios::binary | std::ios::app);
    out << command << reply;
}

bool CheckReplyError(Dialogs& dialogs, int message, const std::string& reply) {
    std::string text;
    if (!ReplyError(reply, &text))
        return false;
    if (message != NoOwnMessage)
        dialogs.warn(message);
    else if (reply.find("NOMEMORY") != std::string::npos)
        dialogs.warn(msg::NoPhoneMemory);
    else
        dialogs.warn(msg::AtCommandError, text);
    return true;
}

} // namespace tovallo
