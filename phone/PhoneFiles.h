#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovallo {

// The two kinds of files a phone lists: pictures (AT+IMG...) and sounds (AT+MEL...).
enum class PhoneFolder { Pictures, Sounds };

// A file in the phone.
struct PhoneFile {
    std::string Name; // as the phone reports it (UTF-8 of its alphabet)
    uint32_t Size = 0;
    uint16_t Index = 0; // the phone's slot

    // The name as the file manager shows it (Windows-1251).
    std::string shownName() const;
    bool operator==(const PhoneFile&) const = default;
};

// The 2nd to 5th fields of the reply to AT+IMGW? or AT+MELW?; the 3rd and 4th are the free and
// the total memory, the 5th the transfer block size.
struct PhoneMemInfo {
    std::array<uint32_t, 4> fields{};

    uint32_t freeMemory() const { return fields[1]; }
    uint32_t totalMemory() const { return fields[2]; }
    uint32_t blockSize() const { return fields[3]; }
    // "Memory: " free " / " total.
    std::string statusText() const;
};

// The commands of a folder.
std::string MemoryQuery(PhoneFolder folder);          // "AT+IMGW?\r"
std::string ListQuery(PhoneFolder folder);            // "AT+IMGR?\r"
std::string SlotQuery(PhoneFolder folder, int index); // "AT+IMGR=" index "\r"

// Parses a cleaned memory reply ("+IMGW: 3,20,1000,5000,512"); a field that is no number is 0.
PhoneMemInfo ParseMemInfo(const std::string& reply);
// The highest slot of a cleaned list reply ("+IMGR: 3,20" gives 3); nothing when the reply holds
// no list or a count that is no slot number.
std::optional<uint32_t> ParseSlotCount(PhoneFolder folder, const std::string& reply);
// The file of a cleaned slot reply; nothing for an empty slot ("+CME ERR") or an empty name.
std::optional<PhoneFile> ParseSlotReply(PhoneFolder folder, const std::string& reply, int index);

// A file the computer can send: its phone type and the name the phone gets.
struct SendableFile {
    int type = 0; // 2 GIF, 11 JPG, 4 sound
    std::string phoneName;
};

// The phone type of a file name by its extension (GIF 2, else JPG 11 for pictures; MMF 4 for
// sounds), or nothing when the folder does not take it.
std::optional<int> PhoneFileType(PhoneFolder folder, std::string_view fileName);

// The name a file gets in the phone: the file name (UTF-8) in Windows-1251 without its last four
// characters, in the phone's alphabet. Nothing when the name has no Windows-1251 form or what
// remains is empty or holds a double quote or a control character, which would break the
// command (an empty name even deletes a file).
std::optional<std::string> PhoneNameOf(std::string_view fileName);

// The write command announcing a file; the delete command of a slot (the write command with an
// empty name, size 1 and CRC 0).
std::string WriteCommand(PhoneFolder folder, const SendableFile& file, uint32_t size, uint32_t crc);
std::string DeleteCommand(PhoneFolder folder, uint16_t index);

} // namespace tovallo
