#include "PhoneTestSupport.h"

#include "phone/PhoneSession.h"
#include "phone/PhoneSimulator.h"

#include <atomic>

namespace tovallo::testing {
namespace {

namespace fs = std::filesystem;

// The file manager over a real pseudo terminal, with the simulated phone answering on the other
// side in its own thread; `pictures` puts two pictures in its store first.
class PhoneOnPty {
  public:
    explicit PhoneOnPty(const std::vector<std::string>& faults = {},
                        std::chrono::milliseconds timeOut = 300ms, bool pictures = false)
        : timeOut_(timeOut) {
        SimulatorOptions options;
        options.storeDir = dir.file("store");
        for (const std::string& faultText : faults) {
            std::string problem;
            const auto fault = ParseSimulatorFault(faultText, problem);
            EXPECT_TRUE(fault) << faultText << ": " << problem;
            if (fault)
                options.faults.push_back(*fault);
        }
        if (pictures) {
            fs::create_directories(options.storeDir + "/pictures");
            WriteWholeFile(options.storeDir + "/pictures/logo.gif", "GIF89a");
            WriteWholeFile(options.storeDir + "/pictures/03_BOOK.jpg", std::string(700, 'j'));
        }
        std::string error;
        sim_ = PhoneSimulator::Create(options, error);
        if (!sim_) {
            ADD_FAILURE() << error;
            return;
        }
        WriteWholeFile(dir.file("Mardek.ini"), "[Ports]\r\nCOM4=" + sim_->devicePath() + "\r\n");
        thread_ = std::thread([this] { sim_->run(stop_); });
    }
    ~PhoneOnPty() {
        link.Disconnect();
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    // Connects on COM4, which the [Ports] section maps to the simulator.
    bool connect(int baud = 115200) {
        return sim_ && session.Connect(PhoneLinkSettings{4, baud, timeOut_});
    }
    std::string log() const { return ReadWholeFile(dir.file("fw.log")); }
    std::string stored(const std::string& folder, const std::string& name) const {
        return ReadWholeFile(dir.file("store/" + folder + "/" + name));
    }
    std::string pcFile(const std::string& name, const std::string& bytes) {
        WriteWholeFile(dir.file(name), bytes);
        return dir.file(name);
    }

    ScratchDir dir;
    ScriptedDialogs dialogs;
    RecordingProgress progress;
    Messages messages;
    PhoneSession session{dialogs, progress, messages, dir.path().string()};
    PhoneLink& link = session.link();
    PhoneFileManager& files = session.files();

  private:
    std::chrono::milliseconds timeOut_;
    std::unique_ptr<PhoneSimulator> sim_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string Pattern(size_t size, int seed) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 131 + static_cast<size_t>(seed) * 17) >> 1);
    return out;
}

// Files of every size sent and their bytes as stored: see the command line test.
TEST(PhoneSimulator, ListsAtEveryBaudRateAndDeletes) {
    PhoneOnPty phone({}, 300ms, true);
    const std::vector<PhoneFile> pictures{{"logo", 6, 0}, {"BOOK", 700, 3}};
    for (int baud : PhoneBaudRates) {
        ASSERT_TRUE(phone.connect(baud)) << baud;
        EXPECT_EQ(phone.link.identity().model, "SGH-E720");
        ASSERT_TRUE(phone.files.Refresh(PhoneFolder::Pictures));
        EXPECT_EQ(phone.files.files(PhoneFolder::Pictures), pictures);
        EXPECT_EQ(phone.link.panels().text(StatusPanels::Memory), "Memory: 999294 / 1000000");
        phone.link.Disconnect();
    }
    EXPECT_EQ(phone.log(), "");

    ASSERT_TRUE(phone.connect());
    phone.dialogs.answers = {true};
    phone.files.setAutoRefresh(true);
    const DeleteResult deleted = phone.files.Delete(PhoneFolder::Pictures, pictures);
    EXPECT_TRUE(deleted.completed);
    EXPECT_TRUE(phone.files.files(PhoneFolder::Pictures).empty());
    EXPECT_FALSE(fs::exists(phone.dir.file("store/pictures/03_BOOK.jpg")));
    EXPECT_EQ(phone.dialogs.numbers(), std::vector<int>{msg::DeleteFiles});
    // A deletion's CRCERR is an entry of the log; nothing else is.
    EXPECT_EQ(phone.log(), "o\r\nCRCERR\r\no\r\nCRCERR\r\n");
}

TEST(PhoneSimulator, SlowPhoneWorksWhenNoPauseExceedsTheTimeOut) {
    // Each reply comes in three pieces 150 ms apart, 450 ms in all against a time-out of 400 ms.
    PhoneOnPty phone({"slow=150:AT+CGMM", "slow=150:AT+IMGR?", "slow=150:block:2"}, 400ms);
    ASSERT_TRUE(phone.connect());
    EXPECT_EQ(phone.link.identity().model, "SGH-E720");
    EXPECT_TRUE(phone.files.List(PhoneFolder::Pictures));
    const SendResult sent =
        phone.files.Send(PhoneFolder::Pictures, {phone.pcFile("p.gif", Pattern(300, 1))}, 128u);
    EXPECT_EQ(sent.sent.size(), 1u);
    EXPECT_EQ(phone.stored("pictures", "00_p.gif"), Pattern(300, 1));
    EXPECT_TRUE(phone.dialogs.shown.empty());
}

// One fault: the operation fails with `message` within the time-out plus a second (disconnect
// included), and the log holds exactly `log`.
struct FaultCase {
    std::string fault;
    int message;
    std::string log;
    std::chrono::milliseconds timeOut = 300ms;
};

template <typename Operation> void ExpectFailure(const FaultCase& c, Operation operation) {
    SCOPED_TRACE(c.fault);
    PhoneOnPty phone({c.fault}, c.timeOut, true);
    if (c.message != msg::PhoneNotConnected && c.message != msg::ModelNotSupported) {
        ASSERT_TRUE(phone.connect());
    }
    const auto start = Clock::now();
    operation(phone);
    phone.link.Disconnect();
    EXPECT_LT(Clock::now() - start, c.timeOut + 1s);
    ASSERT_FALSE(phone.dialogs.shown.empty());
    EXPECT_EQ(phone.dialogs.shown.back().message, c.message);
    EXPECT_EQ(phone.log(), c.log);
}

const std::string CmeError = "\r\n+CME ERROR: 100\r\n";

TEST(PhoneSimulatorFaults, Connect) {
    const std::vector<FaultCase> cases{
        {"silent:ATZ", msg::PhoneNotConnected, "", 1000ms},
        {"silent:AT+CGMI", msg::PhoneNotConnected, ""},
        {"garbage:AT+CGMM", msg::PhoneNotConnected, ""},
        {"cut:AT+INFO", msg::PhoneNotConnected, ""},
        {"error:AT+CGMI", msg::ModelNotSupported, "AT+CGMI\rAT+CGMI\r" + CmeError},
    };
    for (const FaultCase& c : cases)
        ExpectFailure(c, [](PhoneOnPty& phone) {
            EXPECT_FALSE(phone.connect());
            EXPECT_FALSE(phone.link.PhoneConnected());
        });
}

TEST(PhoneSimulatorFaults, Listing) {
    const std::vector<FaultCase> cases{
        {"silent:AT+IMGR?", msg::FileListError, ""},
        {"error:AT+IMGW?", msg::FileListError, "AT+IMGW?\rAT+IMGW?\r" + CmeError},
        {"garbage:AT+IMGR=3", msg::FileListError, ""},
        {"cut:AT+IMGR=0", msg::FileListError, ""},
        {"crcerr:AT+IMGR?", msg::FileListError, "AT+IMGR?\rAT+IMGR?\r\r\nCRCERR\r\n"},
    };
    for (const FaultCase& c : cases)
        ExpectFailure(c, [](PhoneOnPty& phone) {
            EXPECT_FALSE(phone.files.List(PhoneFolder::Pictures));
            EXPECT_TRUE(phone.files.files(PhoneFolder::Pictures).empty());
        });
}

TEST(PhoneSimulatorFaults, Sending) {
    const std::string data = Pattern(300, 7);
    const std::string command = "AT+MELW=0,\"a\",4,300,183723599\r";
    const std::vector<FaultCase> cases{
        {"silent:AT+MELW=*", msg::FileLoadingError, ""},
        {"error=NOMEMORY:AT+MELW=*", msg::NoPhoneMemory,
         command + command + "\r\n+CME ERROR: NOMEMORY\r\n"},
        {"silent:block:2", msg::FileLoadingError, ""},
        {"garbage:block:1", msg::FileLoadingError, ""},
        {"error:block:2", msg::FileLoadingError, data.substr(128, 128) + CmeError},
        {"crcerr:block:3", msg::FileLoadingError, data.substr(256) + "\r\nCRCERR\r\n"},
        {"cut:block:3", msg::FileLoadingError, ""},
    };
    for (const FaultCase& c : cases)
        ExpectFailure(c, [&](PhoneOnPty& phone) {
            const SendResult result =
                phone.files.Send(PhoneFolder::Sounds, {phone.pcFile("a.mmf", data)}, 128u);
            EXPECT_TRUE(result.sent.empty());
            EXPECT_FALSE(fs::exists(phone.dir.file("store/sounds/00_a.mmf")));
        });
}

TEST(PhoneSimulatorFaults, Deleting) {
    const std::vector<FaultCase> cases{
        {"silent:block:1", msg::FileLoadingError, ""},
        {"error:AT+IMGW=*", msg::AtCommandError,
         "AT+IMGW=0,\"\",11,0,0,0,0,100,1,0\rAT+IMGW=0,\"\",11,0,0,0,0,100,1,0\r" + CmeError},
        {"garbage:AT+IMGW=*", msg::FileLoadingError, ""},
    };
    for (const FaultCase& c : cases)
        ExpectFailure(c, [](PhoneOnPty& phone) {
            phone.dialogs.answers = {true};
            const DeleteResult result = phone.files.Delete(PhoneFolder::Pictures, {{"logo", 6, 0}});
            EXPECT_TRUE(result.deleted.empty());
            EXPECT_TRUE(fs::exists(phone.dir.file("store/pictures/logo.gif")));
        });
}

TEST(PhoneSimulatorFaults, TextsThatAreNoFaultAreRefused) {
    std::string problem;
    for (const char* bad : {"silent", "loud:ATZ", "silent=3:ATZ", "slow=x:ATZ", "cut:block:0",
                            "error=a\rb:ATZ", "silent:"})
        EXPECT_FALSE(ParseSimulatorFault(bad, problem)) << bad;
    const auto slow = ParseSimulatorFault("slow=900:AT+IMGR=*", problem);
    ASSERT_TRUE(slow);
    EXPECT_EQ(slow->pause, 900ms);
    EXPECT_TRUE(slow->hits("AT+IMGR=12"));
    EXPECT_FALSE(slow->hits("AT+IMGR?"));
}

} // namespace
} // namespace tovallo::testing
