#include "phone/SimulatedPhone.h"

#include "phone/ReplyText.h"
#include "workspace/OutputFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <zlib.h>

namespace tovallo {

namespace fs = std::filesystem;

namespace {

constexpr const char* Ok = "\r\nOK\r\n";
constexpr const char* Prompt = "\r\n>";
constexpr const char* CrcError = "\r\nCRCERR\r\n";
constexpr const char* Garbage = "\r\n@#%&*!?~=$^;|\r\n";
constexpr const char* Firmware = "E720XEEH1";

std::string Text(const std::string& text) {
    return "\r\n" + text + "\r\n" + Ok;
}
std::string CmeError(const std::string& text) {
    return "\r\n+CME ERROR: " + text + "\r\n";
}
std::string Error() {
    return "\r\nERROR\r\n";
}

const char* Family(PhoneFolder folder) {
    return folder == PhoneFolder::Pictures ? "IMG" : "MEL";
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Extension(PhoneFolder folder, int type) {
    if (folder == PhoneFolder::Sounds)
        return ".mmf";
    return type == 2 ? ".gif" : ".jpg";
}

std::optional<int> TypeOfExtension(PhoneFolder folder, const std::string& ext) {
    const std::string e = Lower(ext);
    if (folder == PhoneFolder::Sounds)
        return e == ".mmf" ? std::optional(4) : std::nullopt;
    if (e == ".gif")
        return 2;
    if (e == ".jpg" || e == ".jpeg")
        return 11;
    return std::nullopt;
}

uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                       reinterpret_cast<const Bytef*>(data.data()),
                                       static_cast<uInt>(data.size())));
}

// Splits "a,b,c" at its commas.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == ',')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

} // namespace

PhoneReply FaultReply(const SimulatorFault& fault, const std::string& echo,
                      const std::string& normal) {
    using Kind = SimulatorFault::Kind;
    const std::string whole = echo + normal;
    switch (fault.kind) {
    case Kind::Silent:
        return {};
    case Kind::Garbage:
        return {{{}, echo + Garbage}};
    case Kind::Error:
        return {{{}, echo + CmeError(fault.errorText)}};
    case Kind::CrcError:
        return {{{}, echo + CrcError}};
    case Kind::Cut:
        return {{{}, whole.substr(0, whole.size() / 2)}};
    case Kind::Slow: {
        PhoneReply pieces;
        const size_t step = (whole.size() + 2) / 3;
        for (size_t at = 0; at < whole.size(); at += step)
            pieces.push_back({fault.pause, whole.substr(at, step)});
        return pieces;
    }
    }
    return {};
}

SimulatedPhone::SimulatedPhone(SimulatorOptions options) : options_(std::move(options)) {
    for (auto& folder : folders_)
        folder.resize(options_.slotCount);
    if (!options_.storeDir.empty()) {
        LoadStore(PhoneFolder::Pictures);
        LoadStore(PhoneFolder::Sounds);
    }
}

const SimulatorFault* SimulatedPhone::FaultFor(const std::string& line) const {
    for (const SimulatorFault& fault : options_.faults)
        if (fault.hits(line))
            return &fault;
    return nullptr;
}

const SimulatorFault* SimulatedPhone::FaultForBlock(int number) const {
    for (const SimulatorFault& fault : options_.faults)
        if (fault.hitsBlock(number))
            return &fault;
    return nullptr;
}

PhoneReply SimulatedPhone::onCommand(const std::string& line) {
    if (line.empty())
        return {}; // a bare CR, as a modem takes it
    const std::string echo = line + "\r";
    const std::string normal = Answer(line);
    const SimulatorFault* fault = FaultFor(line);
    if (!fault)
        return {{{}, echo + normal}};
    if (fault->kind != SimulatorFault::Kind::Slow)
        abandonData(); // a faulty answer to a write command starts no write
    return FaultReply(*fault, echo, normal);
}

std::string SimulatedPhone::Answer(const std::string& line) {
    if (line == "ATZ" || line == "AT" || line == "ATE1")
        return Ok;
    if (line == "AT+CGMI")
        return Text("Samsung Electronics");
    if (line == "AT+CGMM")
        return Text("SGH-E720");
    if (line == "AT+INFO")
        return Text("+INFO: 1,2,3,4,5,6,7,8,9,10,11,12,13,\"" + std::string(Firmware) + "\",0");
    if (line == "AT+CGSN")
        return Text("354321000000001");
    if (line == "AT+CIMI")
        return Text("250011234567890");
    for (PhoneFolder folder : {PhoneFolder::Pictures, PhoneFolder::Sounds}) {
        const std::string family = std::string("AT+") + Family(folder);
        if (line == family + "W?")
            return Text(FolderStatus(folder));
        if (line == family + "R?") {
            uint16_t last = 0;
            for (uint16_t i = 0; i < options_.slotCount; ++i)
                if (folderSlots(folder)[i])
                    last = i;
            return Text(std::string("+") + Family(folder) + "R: " + std::to_string(last) + "," +
                        std::to_string(options_.slotCount));
        }
        if (line.rfind(family + "R=", 0) == 0)
            return SlotReply(folder, line.substr(family.size() + 2));
        if (line.rfind(family + "W=", 0) == 0)
            return StartWrite(folder, line.substr(family.size() + 2));
    }
    return Error();
}

std::string SimulatedPhone::FolderStatus(PhoneFolder folder) const {
    const auto files = std::count_if(folderSlots(folder).begin(), folderSlots(folder).end(),
                                     [](const auto& slot) { return slot.has_value(); });
    return std::string("+") + Family(folder) + "W: " + std::to_string(files) + "," +
           std::to_string(options_.slotCount) + "," +
           std::to_string(options_.totalMemory - UsedMemory(folder)) + "," +
           std::to_string(options_.totalMemory) + "," + std::to_string(options_.blockSize);
}

std::string SimulatedPhone::SlotReply(PhoneFolder folder, const std::string& argument) const {
    const auto index = ParseDecimal(argument);
    if (!index || *index >= options_.slotCount)
        return CmeError("100");
    const auto& file = folderSlots(folder)[*index];
    if (!file)
        return "\r\n+CME ERROR:-1\r\n";
    std::string text = std::string("+") + Family(folder) + "R: " + std::to_string(*index) + ",\"" +
                       file->name + "\"," + std::to_string(file->data.size());
    if (folder == PhoneFolder::Pictures)
        text += "," + std::to_string(file->type);
    return Text(text);
}

// "slot,"name",fields": pictures have the fields type,0,0,0,0,100,size,crc and sounds
// type,size,crc. An empty name deletes the slot.
std::string SimulatedPhone::StartWrite(PhoneFolder folder, const std::string& arguments) {
    const size_t open = arguments.find(",\"");
    const size_t close = open == std::string::npos ? open : arguments.find("\",", open + 2);
    if (close == std::string::npos)
        return Error();
    const auto slot = ParseDecimal(arguments.substr(0, open));
    const std::vector<std::string> fields = Fields(arguments.substr(close + 2));
    if (!slot || fields.size() != (folder == PhoneFolder::Pictures ? 8u : 3u))
        return Error();
    const auto type = ParseDecimal(fields.front());
    const auto size = ParseDecimal(fields[fields.size() - 2]);
    const auto crc = ParseDecimal(fields.back());
    if (!type || !size || !crc)
        return Error();

    Write write;
    write.folder = folder;
    write.name = arguments.substr(open + 2, close - open - 2);
    if (write.name.empty()) {
        if (*slot >= options_.slotCount)
            return CmeError("100");
        write.deletion = true;
        write.index = static_cast<uint16_t>(*slot);
        write.size = 1;
    } else {
        if (!FreeSlot(folder) || *size > options_.totalMemory - UsedMemory(folder))
            return CmeError("NOMEMORY");
        write.type = static_cast<int>(*type);
        write.size = *size;
        write.crc = *crc;
    }
    write_ = std::move(write);
    return Prompt;
}

PhoneReply SimulatedPhone::onBlock(const std::string& bytes) {
    if (!write_)
        return {};
    Write& write = *write_;
    ++write.blocks;
    write.received += bytes.substr(0, write.size - write.received.size());
    const bool complete = write.received.size() >= write.size;
    const bool intact = !write.deletion && Crc(write.received) == write.crc;
    const std::string normal = !complete ? Prompt : intact ? Ok : CrcError;

    const SimulatorFault* fault = FaultForBlock(write.blocks);
    if (fault && fault->kind != SimulatorFault::Kind::Slow) {
        abandonData();
        return FaultReply(*fault, "", normal);
    }
    if (complete) {
        if (write.deletion)
            Remove(write.folder, write.index);
        else if (intact)
            Store(write);
        abandonData();
    }
    return fault ? FaultReply(*fault, "", normal) : PhoneReply{{{}, normal}};
}

uint32_t SimulatedPhone::UsedMemory(PhoneFolder folder) const {
    uint32_t used = 0;
    for (const auto& slot : folderSlots(folder))
        if (slot)
            used += static_cast<uint32_t>(slot->data.size());
    return used;
}

std::optional<uint16_t> SimulatedPhone::FreeSlot(PhoneFolder folder) const {
    for (uint16_t i = 0; i < options_.slotCount; ++i)
        if (!folderSlots(folder)[i])
            return i;
    return std::nullopt;
}

std::string SimulatedPhone::StoreFolder(PhoneFolder folder) const {
    return (fs::path(options_.storeDir) / (folder == PhoneFolder::Pictures ? "pictures" : "sounds"))
        .string();
}

void SimulatedPhone::Store(const Write& write) {
    const auto slot = FreeSlot(write.folder);
    if (!slot)
        return;
    StoredFile file{write.name, write.received, write.type, {}};
    if (!options_.storeDir.empty()) {
        std::string safeName = write.name;
        std::replace_if(
            safeName.begin(), safeName.end(), [](char c) { return c == '/' || c == '\0'; }, '_');
        const std::string number = (*slot < 10 ? "0" : "") + std::to_string(*slot);
        file.path = (fs::path(StoreFolder(write.folder)) /
                     (number + "_" + safeName + Extension(write.folder, write.type)))
                        .string();
        OutputFile out = OutputFile::Create(file.path);
        if (!(out.write(file.data) && out.commit()))
            file.path.clear();
    }
    folders_[static_cast<size_t>(write.folder)][*slot] = std::move(file);
}

void SimulatedPhone::Remove(PhoneFolder folder, uint16_t index) {
    auto& slot = folders_[static_cast<size_t>(folder)][index];
    if (slot && !slot->path.empty()) {
        std::error_code ec;
        fs::remove(slot->path, ec);
    }
    slot.reset();
}

// Files named "NN_name.ext" go back into slot NN; other files of a known type take the lowest
// free slots, in name order. Files that do not fit the memory are left out.
void SimulatedPhone::LoadStore(PhoneFolder folder) {
    const fs::path dir = StoreFolder(folder);
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.is_regular_file(ec))
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    auto& stored = folders_[static_cast<size_t>(folder)];
    for (const fs::path& path : paths) {
        const auto type = TypeOfExtension(folder, path.extension().string());
        const uint64_t size = fs::file_size(path, ec);
        if (!type || ec || size > options_.totalMemory - UsedMemory(folder))
            continue;
        std::string name = path.stem().string();
        std::optional<uint16_t> slot;
        if (const size_t mark = name.find('_');
            mark != std::string::npos && mark + 1 < name.size()) {
            const auto n = ParseDecimal(name.substr(0, mark));
            if (n && *n < options_.slotCount && !stored[*n]) {
                slot = static_cast<uint16_t>(*n);
                name.erase(0, mark + 1);
            }
        }
        if (!slot)
            slot = FreeSlot(folder);
        std::ifstream in(path, std::ios::binary);
        std::string data(static_cast<size_t>(size), '\0');
        if (!slot || !in.read(data.data(), static_cast<std::streamsize>(size)))
            continue;
        stored[*slot] = StoredFile{name, std::move(data), *type, path.string()};
    }
}

} // namespace tovallo
