// tovallo-cli images: find, read, export, encode and decode the firmware's pictures.

#include "cli/CliSupport.h"
#include "images/BmpFile.h"
#include "images/Find09.h"
#include "images/FirmwareImageTable.h"
#include "images/Image09Encoder.h"
#include "images/ImageLinks.h"
#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"
#include "workspace/HexText.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>

namespace tovallo::cli {

namespace {

// Information stays quiet; errors become the command's failure line; warnings are printed by
// a command that succeeds, so that a failure stays one line.
class CommandDialogs : public CliDialogs {
  public:
    explicit CommandDialogs(const Messages& messages)
        : CliDialogs(messages, false), messages_(messages) {}
    void inform(int, const std::string& = {}) override {}
    void warn(int message, const std::string& appended = {}) override {
        warnings.push_back(messages_.text(message) + appended);
    }
    void error(int message, const std::string& appended = {}) override {
        failure = messages_.text(message) + appended;
    }
    void errorText(const std::string& text) override { failure = text; }
    void printWarnings() const {
        for (const std::string& w : warnings)
            std::cerr << "warning: " << Cp1251ToUtf8(w) << '\n';
    }
    std::string failure;
    std::vector<std::string> warnings;

  private:
    const Messages& messages_;
};

struct PictureSize {
    int width = 0;
    int height = 0;
};

PictureSize parseSize(const std::optional<std::string>& text) {
    if (!text)
        usage("--size WxH is needed");
    std::string s = *text;
    for (char& c : s)
        if (c == 'x' || c == 'X')
            c = '*';
    const auto dim = ParseDimensionText(s);
    if (!dim || dim->first < 1 || dim->first > MaxPictureWidth || dim->second < 1 ||
        dim->second > MaxPictureHeight)
        usage("--size \"" + *text + "\" is not WxH with a width of 1-320 and a height of 1-240");
    return {dim->first, dim->second};
}

TypeChoice choiceOf(ImageType type) {
    switch (type) {
    case ImageType::Raw16:
        return TypeChoice::Raw16;
    case ImageType::Wbmp:
        return TypeChoice::Wbmp;
    case ImageType::Image09:
        return TypeChoice::Image09;
    case ImageType::Unknown:
        break;
    }
    return TypeChoice::Auto;
}

// Unknown stands for "auto".
ImageType parseType(const std::optional<std::string>& text, bool allowAuto) {
    const std::string t = text ? *text : (allowAuto ? "auto" : "");
    if (t == "09")
        return ImageType::Image09;
    if (t == "raw16")
        return ImageType::Raw16;
    if (t == "wbmp")
        return ImageType::Wbmp;
    if (t == "auto" && allowAuto)
        return ImageType::Unknown;
    usage(allowAuto ? "--type is auto, 09, raw16 or wbmp" : "--type 09, raw16 or wbmp is needed");
}

// Refuses an output that is the open firmware or the command's input, before anything is read.
void checkOutputOrFail(const Workspace& ws, const std::string& path,
                       const std::vector<std::string>& inputs) {
    CommandDialogs dialogs(ws.messages);
    if (!CheckOutputTarget(ws, path, inputs, dialogs))
        fail(dialogs.failure);
}

void writeBmpOrFail(const std::string& path, const Picture& picture) {
    std::string error;
    if (!WriteBmpFile(path, picture, error))
        fail(error);
}

void writeFileOrFail(const std::string& path, const std::string& bytes) {
    OutputFile out = OutputFile::Create(path);
    if (!out.write(bytes) || !out.commit())
        fail("cannot write " + path + ": " + out.error());
}

// Decodes a picture of a known type at `address`; a picture that runs past the end of the file
// or is no valid "09" picture fails.
Picture decodeOrFail(const ByteReader& read, uint32_t address, PictureSize size, ImageType type) {
    const std::string where = ToHexAddr(address);
    size_t available = 0;
    if (type == ImageType::Image09) {
        const Decoded09 d =
            DecodeImage09At(read, address, size.width, size.height, Decode09Mode::Draw, &available);
        if (d.outcome == Decode09Outcome::NotImage09)
            fail("there is no \"09\" picture at " + where + " (its first byte is not 09)");
        if (d.outcome == Decode09Outcome::BadPaletteIndex)
            fail("the \"09\" picture at " + where + " uses a palette index beyond its palette");
        if (d.length > available)
            fail("the \"09\" picture at " + where + " runs past the end of the file");
        return d.picture;
    }
    const uint32_t needed = type == ImageType::Raw16 ? Raw16Size(size.width, size.height)
                                                     : WbmpSize(size.width, size.height);
    const auto bytes = ReadPictureBytes(read, address, needed, &available);
    if (available < needed)
        fail("the picture at " + where + " needs " + std::to_string(needed) +
             " bytes, but the file holds only " + std::to_string(available) + " from there");
    return type == ImageType::Raw16
               ? DecodeRaw16(bytes.data(), bytes.size(), size.width, size.height)
               : DecodeWbmp(bytes.data(), bytes.size(), size.width, size.height);
}

int runFind09(const Args& args) {
    args.allowOnly({"from", "model"});
    Workspace ws;
    OpenFirmwareOrFail(ws, args.at(1, "FIRMWARE"), ParseModel(args.value("model")), false);
    const uint32_t start = args.value("from") ? ParseNumber(*args.value("from"), "--from") : 0;
    CommandDialogs dialogs(ws.messages);
    NullProgress bar;
    for (const FoundPicture& p : FindImages09(ws, start, bar, dialogs).pictures)
        std::cout << p.addressText() << '\n';
    dialogs.printWarnings();
    return 0;
}

int runTable(const Args& args) {
    args.allowOnly({"at", "model"});
    Workspace ws;
    OpenFirmwareOrFail(ws, args.at(1, "FIRMWARE"), ParseModel(args.value("model")), false);
    CommandDialogs dialogs(ws.messages);
    uint32_t at = 0;
    if (args.value("at")) {
        at = ParseNumber(*args.value("at"), "--at");
    } else {
        NullProgress bar;
        const auto found = FindImageTable(ws, bar, dialogs);
        if (!found)
            fail("the picture table of the " + ModelCliName(ws.profile.model) +
                 " was not found (eight zero bytes and its signature " +
                 ToHexBytes(ws.profile.ImageTableSig) + ")");
        at = *found;
    }
    const auto table = ReadImageTable(ws, at, dialogs);
    if (!table)
        fail(ToHexAddr(at) + " lies beyond the end of the firmware");
    for (const FoundPicture& row : table->rows)
        std::cout << row.addressText() << ' ' << row.dimensionText() << '\n';
    if (!dialogs.failure.empty())
        fail(dialogs.failure);
    return 0;
}

int runExport(const Args& args) {
    args.allowOnly({"size", "type", "listed", "model"});
    Workspace ws;
    OpenFirmwareOrFail(ws, args.at(1, "FIRMWARE"), ParseModel(args.value("model")), false);
    uint32_t address = ParseNumber(args.at(2, "ADDR"), "ADDR");
    const std::string& out = args.at(3, "OUT.bmp");
    const PictureSize size = parseSize(args.value("size"));
    const ImageType choice = parseType(args.value("type"), true);
    checkOutputOrFail(ws, out, {});
    if (static_cast<int64_t>(address) >= ws.FwSize())
        fail(ToHexAddr(address) + " lies beyond the end of the firmware");
    const ByteReader read = FirmwareReader(ws);
    CurrentPicture current;
    const ImageType type = DetectImageType(read, current, address, choiceOf(choice));
    // A listed RAW-16 address is that of its type byte.
    if (type == ImageType::Raw16 && args.flag("listed"))
        ++address;
    writeBmpOrFail(out, decodeOrFail(read, address, size, type));
    std::cout << ImageTypeName(type) << ' ' << DimensionText(size.width, size.height) << " at "
              << ToHexAddr(address) << " written to " << out << '\n';
    return 0;
}

Rgb24 parseColourText(const std::string& text) {
    std::string digits = text;
    if (!digits.empty() && digits[0] == '#')
        digits.erase(0, 1);
    if (digits.size() != 6 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        usage("--transparent \"" + text + "\" is not a colour RRGGBB");
    const unsigned long v = std::stoul(digits, nullptr, 16);
    return MakeRgb24((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int runEncode(const Args& args) {
    args.allowOnly({"type", "transparent", "model"});
    const std::string& in = args.at(1, "IN.bmp");
    const std::string& out = args.at(2, "OUT.bin");
    const ImageType type = parseType(args.value("type"), false);
    const PhoneProfile profile = PhoneProfile::ForModel(ParseModel(args.value("model")));
    if (args.value("transparent") && type != ImageType::Image09)
        usage("--transparent applies to --type 09 only");
    checkOutputOrFail(Workspace(), out, {in});
    Picture picture;
    std::string error;
    if (!ReadBmpFile(in, picture, error))
        fail(error);
    if (picture.Width > MaxPictureWidth || picture.Height > MaxPictureHeight) {
        std::cerr << "warning: the picture is cut to its top-left 320 x 240 pixels\n";
        picture = picture.cropped(MaxPictureWidth, MaxPictureHeight);
    }
    std::string bytes;
    if (type == ImageType::Image09) {
        const auto key = args.value("transparent");
        bytes = EncodeImage09(picture, key ? ColorToRgb565(parseColourText(*key)) : 0,
                              key.has_value(), ColorToRgb565(profile.TransparentColor));
    } else if (type == ImageType::Raw16) {
        bytes = EncodeRaw16(picture);
    } else {
        bytes = EncodeWbmp(picture);
    }
    writeFileOrFail(out, bytes);
    std::cout << bytes.size() << '\n';
    return 0;
}

int runDecode(const Args& args) {
    args.allowOnly({"size", "type"});
    const std::string& in = args.at(1, "IN.bin");
    const std::string& out = args.at(2, "OUT.bmp");
    const PictureSize size = parseSize(args.value("size"));
    const ImageType type = parseType(args.value("type"), false);
    checkOutputOrFail(Workspace(), out, {in});
    std::ifstream file(in, std::ios::binary);
    if (!file)
        fail("cannot open " + in);
    const ByteReader read = [&file](uint64_t offset, size_t count, uint8_t* buffer) -> size_t {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
        return static_cast<size_t>(file.gcount());
    };
    writeBmpOrFail(out, decodeOrFail(read, 0, size, type));
    return 0;
}

int runLinks(const Args& args) {
    args.allowOnly({"model"});
    Workspace ws;
    OpenFirmwareOrFail(ws, args.at(1, "FIRMWARE"), ParseModel(args.value("model")), false);
    LinkDialog dialog;
    dialog.OldAddr = ToHexAddr(ParseNumber(args.at(2, "ADDR"), "ADDR"));
    CommandDialogs dialogs(ws.messages);
    NullProgress bar;
    FindImageLinks(ws, dialog, bar, dialogs);
    if (!dialogs.failure.empty())
        fail(dialogs.failure);
    for (uint32_t link : dialog.Finded)
        std::cout << ToHexAddr(link) << '\n';
    if (dialog.Finded.empty())
        std::cerr << "no links to " << dialog.OldAddr << " were found\n";
    else
        std::cout << "dimension " << dialog.OldDim << '\n';
    return 0;
}

int runImages(const std::vector<std::string>& words) {
    const Args args(words, {"from", "model", "at", "size", "type", "transparent"});
    const std::string& sub =
        args.at(0, "subcommand (find09, table, export, encode, decode, links)");
    if (sub == "find09")
        return runFind09(args);
    if (sub == "table")
        return runTable(args);
    if (sub == "export")
        return runExport(args);
    if (sub == "encode")
        return runEncode(args);
    if (sub == "decode")
        return runDecode(args);
    if (sub == "links")
        return runLinks(args);
    usage("unknown images subcommand \"" + sub + "\"");
}

const CommandRegistration reg{
    "images",
    "images find09 FIRMWARE [--from ADDR]\n"
    "  images table FIRMWARE [--model M] [--at ADDR]\n"
    "  images export FIRMWARE ADDR --size WxH [--type auto|09|raw16|wbmp] [--listed] OUT.bmp\n"
    "  images encode IN.bmp --type 09|raw16|wbmp [--transparent RRGGBB] [--model M] OUT.bin\n"
    "  images decode IN.bin --size WxH --type 09|raw16|wbmp OUT.bmp\n"
    "  images links FIRMWARE ADDR [--model M]",
    &runImages};

} // namespace

} // namespace tovallo::cli
