#include "phone/PhoneFileManager.h"

#include "phone/PhoneLink.h"
#include "phone/ReplyText.h"
#include "strings/Cp1251.h"
#include "workspace/Dialogs.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Messages.h"
#include "workspace/Progress.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <zlib.h>

namespace tovallo {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Ok = "OK\r\n";
constexpr size_t CrcChunk = 64 * 1024;

bool HasPrompt(const std::string& reply) {
    return reply.find(DataPrompt) != std::string::npos;
}
bool HasOk(const std::string& reply) {
    return ContainsOutsideQuotes(reply, Ok);
}

// zlib's CRC-32 (the PKZIP one) of the rest of the stream; nothing on a read error.
std::optional<uint32_t> StreamCrc(std::istream& in, uint64_t size) {
    std::string chunk(static_cast<size_t>(std::min<uint64_t>(size, CrcChunk)), '\0');
    uLong crc = crc32(0L, Z_NULL, 0);
    for (uint64_t left = size; left > 0;) {
        const auto n = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
        if (!in.read(chunk.data(), static_cast<std::streamsize>(n)))
            return std::nullopt;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(n));
        left -= n;
    }
    return static_cast<uint32_t>(crc);
}

} // namespace

std::string SkipReasonText(SkipReason reason) {
    switch (reason) {
    case SkipReason::NotAFile:
        return "not a file";
    case SkipReason::WrongType:
        return "not a file of this kind (pictures: GIF, JPG; sounds: MMF)";
    case SkipReason::BadName:
        return "its name cannot be given to the phone";
    case SkipReason::Unreadable:
        return "cannot be read";
    case SkipReason::TooLarge:
        return "too large";
    case SkipReason::RefusedByPhone:
        return "refused by the phone";
    }
    return {};
}

PhoneFileManager::PhoneFileManager(PhoneLink& link) : link_(link) {}

bool PhoneFileManager::LoadingFailed() {
    link_.dialogs().warn(msg::FileLoadingError);
    return false;
}

bool PhoneFileManager::QueryMemory(PhoneFolder folder) {
    if (!link_.PhoneConnected())
        return false;
    std::string reply;
    const int got = link_.channel().AtExchange(MemoryQuery(folder), reply);
    if (CheckReplyError(link_.dialogs(), msg::FileListError, reply))
        return false;
    if (got < 0) {
        link_.dialogs().warn(msg::FileListError);
        return false;
    }
    CleanReply(reply);
    memInfo_ = ParseMemInfo(reply);
    return true;
}

bool PhoneFileManager::ListFromPhone(PhoneFolder folder) {
    if (!QueryMemory(folder))
        return false;
    AtChannel& at = link_.channel();
    Dialogs& dialogs = link_.dialogs();
    Progress& bar = link_.progress();
    std::string reply;
    const int got = at.AtExchange(ListQuery(folder), reply);
    if (CheckReplyError(dialogs, msg::FileListError, reply))
        return false;
    CleanReply(reply);
    const auto last = ParseSlotCount(folder, reply);
    if (got < 0 || !last) {
        dialogs.warn(msg::FileListError);
        return false;
    }
    bar.setRange(static_cast<int>(*last) + 1);
    bar.setPosition(0);
    std::vector<PhoneFile> found;
    for (uint32_t i = 0; i <= *last; ++i) {
        if (at.AtExchange(SlotQuery(folder, static_cast<int>(i)), reply) < 0) {
            dialogs.warn(msg::FileListError);
            return false;
        }
        bar.pump();
        CleanReply(reply);
        bar.advance();
        if (auto file = ParseSlotReply(folder, reply, static_cast<int>(i)))
            found.push_back(std::move(*file));
    }
    cache_[static_cast<size_t>(folder)] = std::move(found);
    return true;
}

bool PhoneFileManager::List(PhoneFolder folder) {
    if (!link_.PhoneConnected())
        return false;
    if (files(folder).empty() && !ListFromPhone(folder))
        return false;
    link_.panels().set(StatusPanels::Memory, memInfo_.statusText());
    return true;
}

bool PhoneFileManager::Refresh(PhoneFolder folder) {
    if (!link_.PhoneConnected())
        return false;
    cache_[static_cast<size_t>(folder)].clear();
    return List(folder);
}

SendResult PhoneFileManager::Send(PhoneFolder folder, const std::vector<std::string>& paths,
                                  std::optional<uint32_t> blockSize) {
    SendResult result;
    if (!link_.PhoneConnected() || paths.empty())
        return result;
    const uint32_t block = blockSize.value_or(memInfo_.blockSize());
    if (block == 0 || block > MaxBlockSize) {
        LoadingFailed();
        return result;
    }
    for (const std::string& path : paths)
        if (SendFile(folder, path, block, result) == Outcome::Failed)
            return result;
    result.completed = true;
    if (autoRefresh_)
        Refresh(folder);
    return result;
}

PhoneFileManager::Outcome PhoneFileManager::SendFile(PhoneFolder folder, const std::string& path,
                                                     uint32_t blockSize, SendResult& result) {
    auto skip = [&](SkipReason reason) {
        result.skipped.push_back({path, reason});
        return Outcome::Skipped;
    };
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return skip(SkipReason::NotAFile);
    const std::string fileName = fs::path(path).filename().string();
    const auto type = PhoneFileType(folder, fileName);
    if (!type)
        return skip(SkipReason::WrongType);
    const auto phoneName = PhoneNameOf(fileName);
    if (!phoneName)
        return skip(SkipReason::BadName);
    link_.panels().set(StatusPanels::Memory, link_.messages().text(msg::LoadingFile) +
                                                 Utf8ToCp1251(fileName).text.value_or(""));

    const uint64_t size = fs::file_size(path, ec);
    if (ec)
        return skip(SkipReason::Unreadable);
    if (size > std::numeric_limits<uint32_t>::max())
        return skip(SkipReason::TooLarge);
    std::ifstream in(path, std::ios::binary);
    Progress& bar = link_.progress();
    bar.setRange(static_cast<int>(
        std::min<uint64_t>(size / blockSize + 1, std::numeric_limits<int>::max())));
    bar.setPosition(0);
    const auto crc = in ? StreamCrc(in, size) : std::nullopt;
    if (!crc)
        return skip(SkipReason::Unreadable);
    in.seekg(0);

    const SendableFile file{*type, *phoneName};
    std::string reply;
    link_.channel().AtExchange(WriteCommand(folder, file, static_cast<uint32_t>(size), *crc), reply,
                               DataPrompt);
    if (CheckReplyError(link_.dialogs(), NoOwnMessage, reply))
        return skip(SkipReason::RefusedByPhone);
    // Without the prompt the phone is not taking data: bytes sent now would be read as commands.
    if (!HasPrompt(reply)) {
        LoadingFailed();
        return Outcome::Failed;
    }
    if (!SendData(in, static_cast<uint32_t>(size), blockSize, reply))
        return Outcome::Failed;
    result.sent.push_back({path, *phoneName, static_cast<uint32_t>(size), *crc});
    return Outcome::Sent;
}

bool PhoneFileManager::SendData(std::istream& in, uint32_t size, uint32_t blockSize,
                                std::string reply) {
    AtChannel& at = link_.channel();
    Dialogs& dialogs = link_.dialogs();
    Progress& bar = link_.progress();
    std::string block;
    for (uint32_t sent = 0; sent < size;) {
        bar.pump();
        block.resize(std::min(blockSize, size - sent));
        if (!in.read(block.data(), static_cast<std::streamsize>(block.size())))
            return LoadingFailed(); // the file shrank since its CRC was taken
        const int got = at.AtExchange(block, reply, DataPrompt);
        if (CheckReplyError(dialogs, msg::FileLoadingError, reply))
            return false;
        if (got < 0)
            return LoadingFailed();
        bar.advance();
        sent += static_cast<uint32_t>(block.size());
        if (sent < size && !HasPrompt(reply))
            return LoadingFailed();
    }
    // The file counts as sent only on an "OK", to the last block or to a "\r" after it.
    if (size > 0 && HasOk(reply))
        return true;
    if (size > 0 && reply.find("CRCERR") != std::string::npos)
        return LoadingFailed();
    const int got = at.AtExchange("\r", reply);
    if (CheckReplyError(dialogs, msg::FileLoadingError, reply))
        return false;
    return got >= 0 && HasOk(reply) ? true : LoadingFailed();
}

DeleteResult PhoneFileManager::Delete(PhoneFolder folder, const std::vector<PhoneFile>& files) {
    DeleteResult result;
    if (!link_.PhoneConnected() || files.empty())
        return result;
    if (!link_.dialogs().ask(msg::DeleteFiles))
        return result;
    result.confirmed = true;
    Progress& bar = link_.progress();
    bar.setRange(static_cast<int>(files.size()));
    bar.setPosition(0);
    for (const PhoneFile& file : files)
        if (!DeleteFile(folder, file, result))
            return result;
    result.completed = true;
    if (autoRefresh_)
        Refresh(folder);
    return result;
}

// The delete command, then the data byte "o", answered by "CRCERR" once the slot is empty; a
// reply without it gets the byte once more, but a silent phone gets no second try.
bool PhoneFileManager::DeleteFile(PhoneFolder folder, const PhoneFile& file, DeleteResult& result) {
    AtChannel& at = link_.channel();
    Dialogs& dialogs = link_.dialogs();
    std::string reply;
    at.AtExchange(DeleteCommand(folder, file.Index), reply, DataPrompt);
    if (CheckReplyError(dialogs, NoOwnMessage, reply)) {
        result.refused.push_back(file);
        return true;
    }
    if (!HasPrompt(reply))
        return LoadingFailed();
    for (int attempt = 0; attempt < 2; ++attempt) {
        link_.progress().pump();
        const int got = at.AtExchange("o", reply, CrcErrorEnd);
        if (attempt == 0)
            link_.progress().advance();
        if (CheckReplyError(dialogs, msg::FileLoadingError, reply))
            return false;
        if (got < 0)
            return LoadingFailed();
        CleanReply(reply);
        if (reply.find("CRCERR") != std::string::npos) {
            result.deleted.push_back(file);
            return true;
        }
    }
    return LoadingFailed();
}

std::string PhoneFileManager::SizeText(const PhoneFile& file) const {
    return link_.messages().text(msg::SizePrefix) + std::to_string(file.Size);
}

std::string PhoneFileManager::IndexText(const PhoneFile& file) const {
    return link_.messages().text(msg::IndexPrefix) + std::to_string(file.Index);
}

} // namespace tovallo
