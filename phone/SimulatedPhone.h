#pragma once

#include "phone/PhoneFiles.h"
#include "phone/SimulatorFault.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

struct SimulatorOptions {
    // Where the phone keeps its files (pictures/ and sounds/ below it), so that they outlive the
    // simulator and can be looked at; empty keeps them in memory only.
    std::string storeDir;
    std::vector<SimulatorFault> faults;
    uint32_t blockSize = 512;
    uint32_t totalMemory = 1000000; // for each folder
    uint16_t slotCount = 20;
};

// One piece of a reply, sent `pause` after the piece before it.
struct ReplyPiece {
    std::chrono::milliseconds pause{0};
    std::string bytes;
};
using PhoneReply = std::vector<ReplyPiece>;

// A Samsung phone as seen through its AT commands: identity, picture and sound lists, writes
// and deletions, with the faults it was told to show. It turns command lines and data blocks into
// replies; feeding it bytes and timing the blocks is the job of whoever owns the line.
class SimulatedPhone {
  public:
    struct StoredFile {
        std::string name; // as the phone reports it
        std::string data;
        int type = 0;
        std::string path; // in the store, when there is one
    };

    explicit SimulatedPhone(SimulatorOptions options);

    // A command line, without its CR.
    PhoneReply onCommand(const std::string& line);
    // A data block of the write in progress.
    PhoneReply onBlock(const std::string& bytes);
    // Whether a write is in progress: bytes are data, not commands.
    bool takingData() const { return write_.has_value(); }
    void abandonData() { write_.reset(); }

    const std::vector<std::optional<StoredFile>>& folderSlots(PhoneFolder folder) const {
        return folders_[static_cast<size_t>(folder)];
    }

  private:
    struct Write {
        PhoneFolder folder = PhoneFolder::Pictures;
        bool deletion = false;
        uint16_t index = 0; // the slot a deletion empties
        std::string name;
        int type = 0;
        uint32_t size = 0;
        uint32_t crc = 0;
        std::string received;
        int blocks = 0;
    };

    std::string Answer(const std::string& line);
    std::string StartWrite(PhoneFolder folder, const std::string& line);
    std::string FolderStatus(PhoneFolder folder) const;
    std::string SlotReply(PhoneFolder folder, const std::string& argument) const;
    uint32_t UsedMemory(PhoneFolder folder) const;
    std::optional<uint16_t> FreeSlot(PhoneFolder folder) const;
    void Store(const Write& write);
    void Remove(PhoneFolder folder, uint16_t index);
    void LoadStore(PhoneFolder folder);
    std::string StoreFolder(PhoneFolder folder) const;
    const SimulatorFault* FaultFor(const std::string& line) const;
    const SimulatorFault* FaultForBlock(int number) const;

    SimulatorOptions options_;
    std::array<std::vector<std::optional<StoredFile>>, 2> folders_;
    std::optional<Write> write_;
};

// The reply a fault gives instead of `normal` (the echo `echo` before it, for a command).
PhoneReply FaultReply(const SimulatorFault& fault, const std::string& echo,
                      const std::string& normal);

} // namespace tovallo
