#include "fixtures/CliChecks.h"
#include "fixtures/CliProcess.h"
#include "fixtures/FirmwareBuilder.h"
#include "phone/PhoneSettings.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace tovallo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// phone-sim in the background, the phone's files in its store, and the settings directory of the
// commands in the same scratch directory.
struct SimulatorProcess {
    explicit SimulatorProcess(const std::vector<std::string>& faults = {}) {
        ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
        fs::create_directories(dir.file("config/Tovallo"));
        fs::create_directories(dir.file("store/pictures"));
        WriteWholeFile(dir.file("store/pictures/logo.gif"), "GIF89a");
        WriteWholeFile(dir.file("store/pictures/03_BOOK.jpg"), std::string(700, 'j'));
        std::vector<std::string> args{"phone-sim", "--store", dir.file("store")};
        for (const std::string& f : faults)
            args.insert(args.end(), {"--fault", f});
        process = std::make_unique<CliProcess>(args);
        EXPECT_EQ(device().rfind("/dev/", 0), 0u) << device();
    }

    const std::string& device() const { return process->firstLine(); }
    // A phone command on the simulator's device.
    CliResult run(const std::string& args) const { return RunCli(args + " --device " + device()); }
    std::string stored(const std::string& path) const { return ReadWholeFile(dir.file(path)); }

    ScratchDir dir;
    std::unique_ptr<CliProcess> process;
};

std::string Pattern(size_t size, int seed) {
    return FirmwareBuilder(size).random(0, size, static_cast<uint32_t>(seed)).str();
}

uint32_t Crc(const std::string& bytes) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

TEST(PhoneCli, InfoListSendAndDeleteThroughTheSimulator) {
    SimulatorProcess phone;
    // Without options the port, its device and the baud rate come from the settings.
    WriteWholeFile(phone.dir.file("config/Tovallo/Mardek.ini"),
                   "[Main]\r\nPhoneCOMPort=COM31\r\nPhoneBaudRate=B57600\r\n[Ports]\r\nCOM3=" +
                       phone.device() + "\r\n");
    const std::string info = "Model: SGH-E720\nFirmware: E720XEEH1\nIMEI: 354321000000001\n"
                             "IMSI: 250011234567890\n";
    CliResult r = RunCli("phone info");
    EXPECT_EQ(r.out, info) << r.err;
    for (int baud : PhoneBaudRates)
        EXPECT_EQ(phone.run("phone info --baud " + std::to_string(baud)).out, info) << baud;
    const auto json = nlohmann::json::parse(phone.run("phone info --json").out);
    EXPECT_EQ(json["firmware"], "E720XEEH1");
    EXPECT_EQ(json["imsi"], "250011234567890");

    r = phone.run("phone list pictures");
    EXPECT_EQ(r.out, "logo\t6\t0\nBOOK\t700\t3\nMemory: 999294 / 1000000\n") << r.err;
    const auto list = nlohmann::json::parse(phone.run("phone list pictures --json").out);
    EXPECT_EQ(list["files"][1], nlohmann::json({{"name", "BOOK"}, {"size", 700}, {"index", 3}}));
    EXPECT_EQ(list["memory"], nlohmann::json({20, 999294, 1000000, 512}));

    // Sizes around the phone's block size of 512 ("auto"); the text file is refused, not the rest.
    std::string args = "phone send sounds", expected;
    const std::vector<size_t> sizes{0, 1, 512, 513, 3 * 512 + 17};
    for (size_t i = 0; i < sizes.size(); ++i) {
        const std::string path = phone.dir.file("s" + std::to_string(i) + ".mmf");
        WriteWholeFile(path, Pattern(sizes[i], int(i)));
        args += ' ' + path;
        expected += path + '\t' + std::to_string(sizes[i]) + '\t' +
                    std::to_string(Crc(Pattern(sizes[i], int(i)))) + '\n';
    }
    WriteWholeFile(phone.dir.file("notes.txt"), "x");
    r = phone.run(args + ' ' + phone.dir.file("notes.txt"));
    EXPECT_EQ(r.out, expected);
    ExpectOneLineFailure(r, "notes.txt: not a file of this kind");
    for (size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(
            phone.stored("store/sounds/0" + std::to_string(i) + "_s" + std::to_string(i) + ".mmf"),
            Pattern(sizes[i], int(i)));
    WriteWholeFile(phone.dir.file("a.gif"), Pattern(300, 9));
    r = phone.run("phone send pictures " + phone.dir.file("a.gif") + " --block 128");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(phone.stored("store/pictures/01_a.gif"), Pattern(300, 9));
    // A missing file is refused before anything is opened: no word about the device.
    r = RunCli("phone send pictures " + phone.dir.file("gone.gif") + " --device /dev/nowhere");
    ExpectOneLineFailure(r, "gone.gif: no such file");

    // Deleting: unlisted indexes and a No answer delete nothing; then the given order.
    ExpectOneLineFailure(phone.run("phone delete pictures 3 9 --yes"), "index 9 is not listed");
    ExpectOneLineFailure(phone.run("phone delete pictures 3"), "(answered No; --yes answers Yes)");
    EXPECT_TRUE(fs::exists(phone.dir.file("store/pictures/03_BOOK.jpg")));
    r = phone.run("phone delete pictures 3 0 --yes");
    EXPECT_EQ(r.out, "BOOK\t700\t3\nlogo\t6\t0\n") << r.err;
    EXPECT_EQ(phone.run("phone list pictures").out, "a\t300\t1\nMemory: 999700 / 1000000\n");
    EXPECT_EQ(phone.process->stop(), 0); // SIGTERM ends it cleanly
}

TEST(PhoneCli, FailingPhonesAndUsageErrors) {
    SimulatorProcess phone({"silent:AT+IMGR?", "error=NOMEMORY:AT+MELW=*"});
    const auto start = std::chrono::steady_clock::now();
    ExpectOneLineFailure(phone.run("phone list pictures --timeout 300"),
                         "File List loading Error!");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 300ms + 1s);

    WriteWholeFile(phone.dir.file("a.mmf"), "MMMD");
    ExpectOneLineFailure(phone.run("phone send sounds " + phone.dir.file("a.mmf")),
                         "a.mmf: No memory in Phone.");
    EXPECT_NE(phone.stored("config/Tovallo/fw.log").find("+CME ERROR: NOMEMORY"),
              std::string::npos);
    ExpectOneLineFailure(RunCli("phone info --device " + phone.dir.file("none")),
                         "AT error! Phone not connected.");

    for (const auto& [args, named] : std::vector<std::pair<std::string, std::string>>{
             {"phone info --baud 9600", "--baud"},
             {"phone info --timeout 99", "--timeout"},
             {"phone info --port 3 --device /dev/null", "--port"},
             {"phone list pics", "FOLDER"},
             {"phone send sounds a.mmf --block 100", "--block"},
             {"phone-sim --fault loud:ATZ", "loud"}}) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace tovallo::testing
