#pragma once

#include "phone/PhoneFiles.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class PhoneLink;

// The block sizes offered besides "Auto"; a block larger than one port write is refused.
inline constexpr std::array<uint32_t, 5> PhoneBlockSizes{128, 256, 512, 1024, 2048};
inline constexpr uint32_t MaxBlockSize = 4096;

struct SentFile {
    std::string path;
    std::string phoneName; // as the phone got it
    uint32_t size = 0;
    uint32_t crc = 0;
};

enum class SkipReason {
    NotAFile,  // a folder or something else that is no regular file
    WrongType, // the folder does not take that extension
    BadName,   // no name the phone can take (see PhoneNameOf)
    Unreadable,
    TooLarge,       // over 4 GiB
    RefusedByPhone, // the write command got an error (message 33 or 34 shown)
};
// A short English description ("not a picture or sound file of that folder").
std::string SkipReasonText(SkipReason reason);

struct SkippedFile {
    std::string path;
    SkipReason reason;
};

struct SendResult {
    std::vector<SentFile> sent;
    std::vector<SkippedFile> skipped;
    // False when a failure ended the sending (its message was shown) or it could not start.
    bool completed = false;
};

struct DeleteResult {
    std::vector<PhoneFile> deleted;
    std::vector<PhoneFile> refused; // the phone refused the command (message 33 or 34 shown)
    bool confirmed = false;         // message 36 was answered Yes
    bool completed = false;         // false when a failure ended the deletion
};

// The phone's pictures and sounds: listing with a cache per folder, sending files from the
// computer and deleting files in the phone. Nothing happens while the link is not connected.
// Failures are shown through the link's dialogs: message 31 for a listing, 32 for a transfer.
class PhoneFileManager {
  public:
    explicit PhoneFileManager(PhoneLink& link);

    // Whether a sending or deletion that ran to its end lists the folder again.
    void setAutoRefresh(bool on) { autoRefresh_ = on; }
    bool autoRefresh() const { return autoRefresh_; }

    // Lists a folder: from the cache when it holds files, else from the phone. Sets the memory
    // panel. False (the cache then empty) on a failure.
    bool List(PhoneFolder folder);
    // Empties the folder's cache, then lists it.
    bool Refresh(PhoneFolder folder);
    const std::vector<PhoneFile>& files(PhoneFolder folder) const {
        return cache_[static_cast<size_t>(folder)];
    }

    // Asks the phone for the folder's memory figures alone (the first step of a listing).
    bool QueryMemory(PhoneFolder folder);
    const PhoneMemInfo& memInfo() const { return memInfo_; }

    // Sends the files in order in blocks of `blockSize`, or of the block size of the last
    // memory reply when none is given ("Auto"); a block size of 0 or over MaxBlockSize refuses
    // (message 32). A file counts as sent only when the phone said "OK" to it.
    SendResult Send(PhoneFolder folder, const std::vector<std::string>& paths,
                    std::optional<uint32_t> blockSize);

    // Asks message 36, then deletes the files in the given order.
    DeleteResult Delete(PhoneFolder folder, const std::vector<PhoneFile>& files);

    // Message 37 + size and message 38 + index, for the selected file.
    std::string SizeText(const PhoneFile& file) const;
    std::string IndexText(const PhoneFile& file) const;

  private:
    enum class Outcome { Sent, Skipped, Failed };
    Outcome SendFile(PhoneFolder folder, const std::string& path, uint32_t blockSize,
                     SendResult& result);
    // The data blocks after the prompt `reply`, then the closing "OK"; false (its message shown)
    // on a failure.
    bool SendData(std::istream& in, uint32_t size, uint32_t blockSize, std::string reply);
    bool DeleteFile(PhoneFolder folder, const PhoneFile& file, DeleteResult& result);
    bool ListFromPhone(PhoneFolder folder);
    // Message 32; always false.
    bool LoadingFailed();

    PhoneLink& link_;
    std::array<std::vector<PhoneFile>, 2> cache_;
    PhoneMemInfo memInfo_;
    bool autoRefresh_ = false;
};

} // namespace tovallo
