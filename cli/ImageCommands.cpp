// tovallo-cli images: find, read, export, encode and decode the firmware's pictures.

#include "cli/Commands.h"
#include "images/BmpFile.h"
#include "images/Find09.h"
#include "images/FirmwareImageTable.h"
#include "images/Image09Encoder.h"
#include "images/ImageLinks.h"
#include "images/PictureReader.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"
#include "strings/Cp1251.h"
#include "workspace/HexText.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>

namespace tovallo::cli {

namespace {

// Information stays quiet; errors become the command's failure line; warnings are printed by
// a command that succeeds, so that a failure stays one line.
class CommandDialogs : public CliDialogs {
  public:
    CommandDialogs(const Messages& messages, const Output& out)
        : CliDialogs(messages, out, false) {}
    void inform(int, const std::string& = {}) override {}
    void warn(int message, const std::string& appended = {}) override {
        warnings.push_back(text(message, appended));
    }
    void error(int message, const std::string& appended = {}) override {
        failure = text(message, appended);
    }
    void errorText(const std::string& text) override { failure = ComposedTextToUtf8(text); }
    void printWarnings() const {
        for (const std::string& w : warnings)
            std::cerr << "warning: " << w << '\n';
    }
    std::string failure;
    std::vector<std::string> warnings;
};

struct PictureSize {
    int width = 0;
    int height = 0;
};

// "WxH" with a width of 1-320 and a height of 1-240.
std::optional<PictureSize> parseSize(std::string text) {
    std::replace(text.begin(), text.end(), 'x', '*');
    std::replace(text.begin(), text.end(), 'X', '*');
    const auto dim = ParseDimensionText(text);
    if (!dim || dim->first < 1 || dim->first > MaxPictureWidth || dim->second < 1 ||
        dim->second > MaxPictureHeight)
        return std::nullopt;
    return PictureSize{dim->first, dim->second};
}

CLI::Option* addSizeOption(CLI::App& command, std::string& size) {
    const CLI::Validator sizeText(
        [](const std::string& text) -> std::string {
            return parseSize(text)
                       ? std::string()
                       : "\"" + text + "\" is not WxH with a width of 1-320 and a height of 1-240";
        },
        "", "size");
    return command.add_option("--size", size, "The picture's width and height, such as 128x160")
        ->type_name("WxH")
        ->required()
        ->check(sizeText);
}

// --type: 09, raw16 or wbmp, and auto (given as Unknown) where `allowAuto`.
CLI::Option* addTypeOption(CLI::App& command, ImageType& type, bool allowAuto) {
    const std::string names = allowAuto ? "auto|09|raw16|wbmp" : "09|raw16|wbmp";
    const CLI::Validator typeName(
        [allowAuto, names](std::string& text) -> std::string {
            static const std::map<std::string, ImageType> types{{"auto", ImageType::Unknown},
                                                                {"09", ImageType::Image09},
                                                                {"raw16", ImageType::Raw16},
                                                                {"wbmp", ImageType::Wbmp}};
            const auto it = types.find(text);
            if (it == types.end() || (it->second == ImageType::Unknown && !allowAuto))
                return "\"" + text + "\" is none of " + names;
            text = std::to_string(static_cast<int>(it->second));
            return {};
        },
        "", "type");
    CLI::Option* option =
        command
            .add_option("--type", type,
                        allowAuto ? "Picture type (default: auto, as the window detects it)"
                                  : "Picture type")
            ->type_name(names)
            ->transform(typeName);
    return allowAuto ? option : option->required();
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

// Refuses an output that is the open firmware or the command's input, before anything is read.
void checkOutputOrFail(const Workspace& ws, const std::string& path,
                       const std::vector<std::string>& inputs) {
    const Output silent{true};
    CommandDialogs dialogs(ws.messages, silent);
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

struct ImageOptions {
    std::string firmware;
    PhoneModel model = PhoneModel::C200;
    std::optional<uint32_t> from; // find09
    std::optional<uint32_t> at;   // table
    uint32_t address = 0;         // export, links
    std::string size;             // export, decode
    ImageType type = ImageType::Unknown;
    bool listed = false;                    // export
    std::optional<std::string> transparent; // encode
    std::string input;                      // encode, decode
    std::string output;                     // export, encode, decode
};

void runFind09(const ImageOptions& o, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    CommandDialogs dialogs(ws.messages, out);
    NullProgress bar;
    for (const FoundPicture& p : FindImages09(ws, o.from.value_or(0), bar, dialogs).pictures)
        std::cout << p.addressText() << '\n';
    dialogs.printWarnings();
}

void runTable(const ImageOptions& o, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    CommandDialogs dialogs(ws.messages, out);
    uint32_t at = 0;
    if (o.at) {
        at = *o.at;
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
}

void runExport(const ImageOptions& o, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    const PictureSize size = *parseSize(o.size);
    uint32_t address = o.address;
    checkOutputOrFail(ws, o.output, {});
    if (static_cast<int64_t>(address) >= ws.FwSize())
        fail(ToHexAddr(address) + " lies beyond the end of the firmware");
    const ByteReader read = FirmwareReader(ws);
    CurrentPicture current;
    const ImageType type = DetectImageType(read, current, address, choiceOf(o.type));
    // A listed RAW-16 address is that of its type byte.
    if (type == ImageType::Raw16 && o.listed)
        ++address;
    writeBmpOrFail(o.output, decodeOrFail(read, address, size, type));
    out.success(ImageTypeName(type) + ' ' + DimensionText(size.width, size.height) + " at " +
                ToHexAddr(address) + " written to " + o.output);
}

Rgb24 parseColourText(std::string digits) {
    if (!digits.empty() && digits[0] == '#')
        digits.erase(0, 1);
    const unsigned long v = std::stoul(digits, nullptr, 16);
    return MakeRgb24((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

CLI::Validator colourText() {
    return CLI::Validator(
        [](const std::string& text) -> std::string {
            const size_t skip = !text.empty() && text[0] == '#' ? 1 : 0;
            if (text.size() - skip == 6 &&
                std::all_of(text.begin() + static_cast<std::ptrdiff_t>(skip), text.end(),
                            [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                return {};
            return "\"" + text + "\" is not a colour RRGGBB";
        },
        "", "colour");
}

void runEncode(const ImageOptions& o) {
    const PhoneProfile profile = PhoneProfile::ForModel(o.model);
    if (o.transparent && o.type != ImageType::Image09)
        usage("--transparent applies to --type 09 only");
    checkOutputOrFail(Workspace(), o.output, {o.input});
    Picture picture;
    std::string error;
    if (!ReadBmpFile(o.input, picture, error))
        fail(error);
    if (picture.Width > MaxPictureWidth || picture.Height > MaxPictureHeight) {
        std::cerr << "warning: the picture is cut to its top-left 320 x 240 pixels\n";
        picture = picture.cropped(MaxPictureWidth, MaxPictureHeight);
    }
    std::string bytes;
    if (o.type == ImageType::Image09) {
        const Rgb565 key = o.transparent ? ColorToRgb565(parseColourText(*o.transparent)) : 0;
        bytes = EncodeImage09(picture, key, o.transparent.has_value(),
                              ColorToRgb565(profile.TransparentColor));
    } else if (o.type == ImageType::Raw16) {
        bytes = EncodeRaw16(picture);
    } else {
        bytes = EncodeWbmp(picture);
    }
    writeFileOrFail(o.output, bytes);
    std::cout << bytes.size() << '\n';
}

void runDecode(const ImageOptions& o) {
    std::ifstream file(o.input, std::ios::binary);
    checkOutputOrFail(Workspace(), o.output, {o.input});
    if (!file)
        fail("cannot open " + o.input);
    const ByteReader read = [&file](uint64_t offset, size_t count, uint8_t* buffer) -> size_t {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
        return static_cast<size_t>(file.gcount());
    };
    writeBmpOrFail(o.output, decodeOrFail(read, 0, *parseSize(o.size), o.type));
}

void runLinks(const ImageOptions& o, const Output& out) {
    Workspace ws;
    OpenFirmwareOrFail(ws, o.firmware, o.model, false);
    LinkDialog dialog;
    dialog.OldAddr = ToHexAddr(o.address);
    CommandDialogs dialogs(ws.messages, out);
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
}

void addFirmware(CLI::App& command, ImageOptions& o) {
    command.add_option("FIRMWARE", o.firmware, "The firmware BIN file")->required();
}

void addAddress(CLI::App& command, uint32_t& address, const char* description) {
    command.add_option("ADDR", address, description)
        ->required()
        ->type_name("ADDR")
        ->transform(AddressText());
}

} // namespace

void AddImageCommands(CLI::App& app, Output& out) {
    CLI::App* images = AddCommandGroup(
        app, "images", "Find, read, export, encode and decode the firmware's pictures");
    const auto command = [&](const char* name, const char* description) {
        auto o = std::make_shared<ImageOptions>();
        return std::pair{AddCommand(*images, name, description, out), o};
    };

    auto [find09, f] = command("find09", "Candidates of \"09\" pictures, one address a line");
    addFirmware(*find09, *f);
    find09->add_option("--from", f->from, "Start address (default 0)")
        ->type_name("ADDR")
        ->transform(AddressText());
    AddModelOption(*find09, f->model);
    find09->callback([f = f, &out] { runFind09(*f, out); });

    auto [table, t] = command("table", "The firmware's picture table: address and W*H a line");
    addFirmware(*table, *t);
    table->add_option("--at", t->at, "The table's address (default: searched)")
        ->type_name("ADDR")
        ->transform(AddressText());
    AddModelOption(*table, t->model);
    table->callback([t = t, &out] { runTable(*t, out); });

    auto [exportCmd, e] = command("export", "Save a picture of the firmware as a BMP file");
    addFirmware(*exportCmd, *e);
    addAddress(*exportCmd, e->address, "The picture's address");
    exportCmd->add_option("OUT.bmp", e->output, "The BMP file to write")->required();
    addSizeOption(*exportCmd, e->size);
    addTypeOption(*exportCmd, e->type, true);
    exportCmd->add_flag("--listed", e->listed,
                        "ADDR is as the picture table lists it (a RAW-16 type byte)");
    AddModelOption(*exportCmd, e->model);
    exportCmd->callback([e = e, &out] { runExport(*e, out); });

    auto [encode, n] = command("encode", "Encode a BMP file as the firmware's picture bytes; "
                                         "prints their number");
    encode->add_option("IN.bmp", n->input, "The BMP file")->required();
    encode->add_option("OUT.bin", n->output, "The file for the picture bytes")->required();
    addTypeOption(*encode, n->type, false);
    encode
        ->add_option("--transparent", n->transparent, "The transparent colour of a \"09\" picture")
        ->type_name("RRGGBB")
        ->check(colourText());
    AddModelOption(*encode, n->model);
    encode->callback([n = n] { runEncode(*n); });

    auto [decode, d] = command("decode", "Decode picture bytes into a BMP file");
    decode->add_option("IN.bin", d->input, "The picture bytes")->required();
    decode->add_option("OUT.bmp", d->output, "The BMP file to write")->required();
    addSizeOption(*decode, d->size);
    addTypeOption(*decode, d->type, false);
    decode->callback([d = d] { runDecode(*d); });

    auto [links, l] = command("links", "Links to a picture and its dimension");
    addFirmware(*links, *l);
    addAddress(*links, l->address, "The picture's address");
    AddModelOption(*links, l->model);
    links->callback([l = l, &out] { runLinks(*l, out); });
}

} // namespace tovallo::cli
