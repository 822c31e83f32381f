#include "phone/PhoneFiles.h"

#include "phone/ReplyText.h"
#include "strings/Cp1251.h"
#include "strings/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace tovallo {

namespace {

const char* Family(PhoneFolder folder) {
    return folder == PhoneFolder::Pictures ? "IMG" : "MEL";
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string PhoneFile::shownName() const {
    return Utf8ToWin(Name);
}

std::string PhoneMemInfo::statusText() const {
    return "Memory: " + std::to_string(freeMemory()) + " / " + std::to_string(totalMemory());
}

std::string MemoryQuery(PhoneFolder folder) {
    return std::string("AT+") + Family(folder) + "W?\r";
}
std::string ListQuery(PhoneFolder folder) {
    return std::string("AT+") + Family(folder) + "R?\r";
}
std::string SlotQuery(PhoneFolder folder, int index) {
    return std::string("AT+") + Family(folder) + "R=" + std::to_string(index) + "\r";
}

PhoneMemInfo ParseMemInfo(const std::string& reply) {
    PhoneMemInfo info;
    size_t start = reply.find(',');
    for (uint32_t& field : info.fields) {
        if (start == std::string::npos)
            break;
        const size_t end = reply.find(',', start + 1);
        field = ParseDecimal(std::string_view(reply).substr(
                                 start + 1, end == std::string::npos ? end : end - start - 1))
                    .value_or(0);
        start = end;
    }
    return info;
}

std::optional<uint32_t> ParseSlotCount(PhoneFolder folder, const std::string& reply) {
    // Everything through "+IMGR: " (or "+MELR:" and the character after it) goes.
    const std::string marker = std::string("+") + Family(folder) + "R:";
    const size_t at = reply.find(marker);
    if (at == std::string::npos)
        return std::nullopt;
    const std::string rest = reply.substr(std::min(reply.size(), at + marker.size() + 1));
    const auto count = ParseDecimal(rest.substr(0, rest.find(',')));
    if (!count || *count > std::numeric_limits<uint16_t>::max())
        return std::nullopt;
    return count;
}

std::optional<PhoneFile> ParseSlotReply(PhoneFolder folder, const std::string& reply, int index) {
    if (FindOutsideQuotes(reply, "+CME ERR") != std::string::npos)
        return std::nullopt;
    const size_t open = reply.find('"');
    const size_t close = open == std::string::npos ? open : reply.find('"', open + 1);
    if (close == std::string::npos || close == open + 1)
        return std::nullopt;
    PhoneFile file;
    file.Name = reply.substr(open + 1, close - open - 1);
    file.Index = static_cast<uint16_t>(index);
    std::string size = reply.substr(std::min(reply.size(), close + 2));
    if (folder == PhoneFolder::Pictures)
        size = size.substr(0, size.find(','));
    file.Size = ParseDecimal(size).value_or(0);
    return file;
}

std::optional<int> PhoneFileType(PhoneFolder folder, std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    const std::string ext = dot == std::string_view::npos ? "" : Upper(fileName.substr(dot));
    if (folder == PhoneFolder::Sounds)
        return ext.find("MMF") != std::string::npos ? std::optional(4) : std::nullopt;
    if (ext.find("GIF") != std::string::npos)
        return 2;
    if (ext.find("JPG") != std::string::npos)
        return 11;
    return std::nullopt;
}

std::optional<std::string> PhoneNameOf(std::string_view fileName) {
    auto name = Utf8ToCp1251(fileName).text;
    if (!name || name->size() <= 4)
        return std::nullopt;
    name->resize(name->size() - 4);
    const bool unsafe = std::any_of(name->begin(), name->end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b == '"' || b < 0x20 || b == 0x7F;
    });
    if (unsafe)
        return std::nullopt;
    return WinToUtf8(*name);
}

std::string WriteCommand(PhoneFolder folder, const SendableFile& file, uint32_t size,
                         uint32_t crc) {
    const std::string numbers = std::to_string(size) + "," + std::to_string(crc) + "\r";
    if (folder == PhoneFolder::Sounds)
        return "AT+MELW=0,\"" + file.phoneName + "\"," + std::to_string(file.type) + "," + numbers;
    return "AT+IMGW=0,\"" + file.phoneName + "\"," + std::to_string(file.type) + ",0,0,0,0,100," +
           numbers;
}

std::string DeleteCommand(PhoneFolder folder, uint16_t index) {
    const std::string head = std::string("AT+") + Family(folder) + "W=" + std::to_string(index);
    if (folder == PhoneFolder::Sounds)
        return head + ",\"\",4,1,0\r";
    return head + ",\"\",11,0,0,0,0,100,1,0\r";
}

} // namespace tovallo
