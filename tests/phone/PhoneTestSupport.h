#pragma once

#include "fixtures/FirmwareBuilder.h"
#include "fixtures/ScriptedDialogs.h"
#include "phone/ComPorts.h"
#include "phone/PhoneFileManager.h"
#include "phone/PhoneLink.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace tovallo::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A serial port that plays a phone from a script: each write takes the next step, which names
// the bytes expected and the reply pieces that then arrive, each after its pause. A read with
// nothing due waits 5 ms and returns nothing, as a real port does.
class ScriptedPort : public SerialPort {
  public:
    struct Piece {
        std::chrono::milliseconds pause{0};
        std::string bytes;
    };
    struct Step {
        std::string expected;
        std::vector<Piece> reply;
    };

    std::deque<Step> script;
    std::vector<std::string> writes;
    std::vector<std::string> unexpected; // writes that differ from the script's
    bool openSucceeds = true;
    DtrResult dtrResult = DtrResult::Done;
    std::vector<bool> dtrCalls;
    std::string device;
    int baud = 0;

    void expect(const std::string& command, std::vector<Piece> reply) {
        script.push_back({command, std::move(reply)});
    }
    // The echo, then CR LF text CR LF CR LF OK CR LF in one piece.
    void answer(const std::string& command, const std::string& text) {
        expect(command, {{0ms, command + Framed(text)}});
    }
    static std::string Framed(const std::string& text) { return "\r\n" + text + "\r\n\r\nOK\r\n"; }

    bool OpenPort(const std::string& path, int rate) override {
        device = path;
        baud = rate;
        return open_ = openSucceeds;
    }
    bool isOpen() const override { return open_; }
    DtrResult SetDtr(bool on) override {
        if (!open_)
            return DtrResult::Done;
        dtrCalls.push_back(on);
        return dtrResult;
    }
    size_t WritePort(std::string_view bytes) override {
        writes.emplace_back(bytes);
        if (script.empty())
            return bytes.size(); // a silent phone
        Step step = std::move(script.front());
        script.pop_front();
        if (step.expected != bytes)
            unexpected.emplace_back(bytes);
        auto at = std::max(Clock::now(), due_.empty() ? Clock::now() : due_.back().first);
        for (Piece& piece : step.reply)
            due_.emplace_back(at += piece.pause, std::move(piece.bytes));
        return bytes.size();
    }
    size_t ReadPort(std::string& text) override {
        text.clear();
        const auto now = Clock::now();
        if (!due_.empty() && due_.front().first <= now) {
            text = std::move(due_.front().second);
            due_.pop_front();
            return text.size();
        }
        std::this_thread::sleep_until(due_.empty() ? now + 5ms
                                                   : std::min(now + 5ms, due_.front().first));
        return 0;
    }
    void ClosePort() override { open_ = false; }

    // Takes the replies still waiting to be read, due or not.
    std::string takePending() {
        std::string out;
        for (auto& piece : due_)
            out += piece.second;
        due_.clear();
        return out;
    }

  private:
    bool open_ = false;
    std::deque<std::pair<Clock::time_point, std::string>> due_;
};

// A link over a scripted port, with its dialogs, progress and log in a scratch directory.
struct ScriptedLink {
    ScratchDir dir;
    ScriptedPort port;
    ScriptedDialogs dialogs;
    RecordingProgress progress;
    Messages messages;
    PhoneLink link{port, dialogs, progress, messages, logPath()};

    explicit ScriptedLink(std::chrono::milliseconds timeOut = 150ms) { link.setTimeOut(timeOut); }

    std::string logPath() const { return dir.file("fw.log"); }
    std::string log() const { return ReadWholeFile(logPath()); }
    bool logExists() const { return std::filesystem::exists(logPath()); }

    // Scripts the answers of a Samsung phone to the connect.
    void scriptConnect() {
        port.answer("ATZ\r", "");
        port.answer("AT+CGMI\r", "Samsung Electronics");
        port.answer("AT+CGMM\r", "SGH-X120");
        port.answer("AT+INFO\r", "+INFO: 1,2,3,4,5,6,7,8,9,10,11,12,13,\"X120XEEC1\",0");
        port.answer("AT+CGSN\r", "354321000000001");
        port.answer("AT+CIMI\r", "250011234567890");
    }
    // Connects through the scripted answers; the test fails when it does not.
    void connect() {
        scriptConnect();
        ASSERT_TRUE(link.Connect("/dev/ttyUSB3", 115200));
        port.writes.clear();
        dialogs.shown.clear();
    }
};

} // namespace tovallo::testing
