#include "images/ImageReplacement.h"

#include "images/BmpFile.h"
#include "images/Image09Encoder.h"
#include "images/Raw16Codec.h"
#include "images/WbmpCodec.h"
#include "strings/Cp1251.h"
#include "workspace/ChangeChecks.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace tovallo {

namespace {

std::string sizeText(int width, int height, uint64_t size) {
    return std::to_string(width) + " x " + std::to_string(height) + " x " + std::to_string(size);
}

bool sameDimensions(const CurrentPicture& c) {
    return c.NewWidth == c.Width && c.NewHeight == c.Height;
}

} // namespace

bool OpenReplacement(ReplacementDialog& dialog, const CurrentPicture& current, const Picture& shown,
                     const ImageTable& table, size_t row, Dialogs& dialogs) {
    if (row >= table.size() || table[row].Address.empty())
        return false;
    uint64_t oldSize = 0;
    switch (current.Type) {
    case ImageType::Raw16:
        oldSize = static_cast<uint64_t>(current.Width) * current.Height * 2;
        break;
    case ImageType::Wbmp:
        oldSize = WbmpSize(current.Width, current.Height);
        break;
    case ImageType::Image09:
        if (current.Length09 == 0)
            return false;
        oldSize = current.Length09;
        break;
    case ImageType::Unknown:
        return false;
    }
    std::string address = table[row].Address;
    CleanHexText(address);
    const auto rowAddress = ParseHexAddr(address, &dialogs);
    if (!rowAddress)
        return false;
    dialog.RowName = table[row].Name;
    dialog.RowAddress = *rowAddress;
    dialog.RowIsLast = row + 1 == table.size();
    dialog.OldSizeText = sizeText(current.Width, current.Height, oldSize);
    dialog.NewSizeText.clear();
    dialog.OldPicture = shown.cropped(current.Width, current.Height);
    if (!dialog.RowIsLast)
        dialog.OldNextAddrText = table[row + 1].Address;
    dialog.NewPicture = Picture();
    return true;
}

bool ImportReplacement(ReplacementDialog& dialog, CurrentPicture& current, const Picture& loaded,
                       Rgb24 phoneTransparent, Dialogs& dialogs) {
    dialog.Transparent = false;
    if (loaded.Width != current.Width || loaded.Height != current.Height)
        dialogs.warn(msg::OtherDimension);
    current.NewWidth = std::min(loaded.Width, MaxPictureWidth);
    current.NewHeight = std::min(loaded.Height, MaxPictureHeight);
    dialog.NewPicture = loaded.cropped(current.NewWidth, current.NewHeight);
    // The size shown is the size the new picture will be encoded to.
    switch (current.Type) {
    case ImageType::Raw16:
        current.NewSize = Raw16Size(current.NewWidth, current.NewHeight);
        break;
    case ImageType::Wbmp:
        current.NewSize = WbmpSize(current.NewWidth, current.NewHeight);
        break;
    case ImageType::Image09:
        current.NewSize = static_cast<uint32_t>(
            EncodeImage09(dialog.NewPicture, 0, false, ColorToRgb565(phoneTransparent)).size());
        current.OldSize = current.Length09;
        break;
    case ImageType::Unknown:
        return false;
    }
    dialog.NewSizeText = sizeText(current.NewWidth, current.NewHeight, current.NewSize);
    UpdateNewNextAddress(dialog, current);
    return true;
}

bool ImportReplacementFile(ReplacementDialog& dialog, CurrentPicture& current,
                           const std::string& path, Rgb24 phoneTransparent, Dialogs& dialogs) {
    Picture loaded;
    std::string error;
    if (!ReadBmpFile(path, loaded, error)) {
        dialogs.errorText(error);
        return false;
    }
    return ImportReplacement(dialog, current, loaded, phoneTransparent, dialogs);
}

void UpdateNewNextAddress(ReplacementDialog& dialog, const CurrentPicture& current) {
    if (dialog.AutoNextAddr && !dialog.RowIsLast)
        dialog.NewNextAddrText = ToHexAddr(NextAddress(dialog.RowAddress, current.NewSize));
    else
        dialog.NewNextAddrText.clear();
}

bool CanPickTransparentColour(const ReplacementDialog& dialog) {
    return !dialog.NewSizeText.empty();
}

bool PickTransparentColour(ReplacementDialog& dialog, int x, int y) {
    if (x < 0 || y < 0 || x >= dialog.NewPicture.Width || y >= dialog.NewPicture.Height)
        return false;
    dialog.KeyColour = dialog.NewPicture.at(x, y);
    return true;
}

bool QueueReplacement(Workspace& ws, ReplacementDialog& dialog, CurrentPicture& current,
                      Dialogs& dialogs) {
    if (dialog.NewSizeText.size() < 2 || !ws.FwIsOpen())
        return false;
    if (!sameDimensions(current) && !dialogs.ask(msg::ReplaceOtherDimension))
        return false;
    std::string bytes;
    switch (current.Type) {
    case ImageType::Raw16:
        bytes = EncodeRaw16(dialog.NewPicture);
        current.OldSize = Raw16Size(current.Width, current.Height);
        break;
    case ImageType::Image09:
        bytes = EncodeImage09(dialog.NewPicture, ColorToRgb565(dialog.KeyColour),
                              dialog.Transparent, ColorToRgb565(ws.profile.TransparentColor));
        current.OldSize = current.Length09;
        break;
    case ImageType::Wbmp:
        bytes = EncodeWbmp(dialog.NewPicture);
        current.OldSize = WbmpSize(current.Width, current.Height);
        break;
    case ImageType::Unknown:
        return false;
    }
    current.NewSize = static_cast<uint32_t>(bytes.size());
    if (const std::string problem =
            RangeProblem(ws, "The replacement picture", current.Address, bytes.size());
        !problem.empty()) {
        dialogs.errorText(problem);
        return false;
    }
    if (current.NewSize > current.OldSize && !dialogs.ask(msg::ImageLargerThanOriginal))
        return false;
    const uint32_t dimensions =
        static_cast<uint32_t>(current.NewWidth) + static_cast<uint32_t>(current.NewHeight) * 65536;
    std::string error;
    if (!ws.changes.AppendImageChange(ws.tempDir, current.Address, dimensions, bytes, error)) {
        dialogs.errorText(error);
        return false;
    }
    return true;
}

std::string ProposedExportName(const std::string& rowName, uint32_t address) {
    std::string name = rowName.empty() ? ToHexAddr(address) : Cp1251ToUtf8(rowName);
    std::replace(name.begin(), name.end(), '/', '_');
    return WithBmpExtension(name);
}

std::string WithBmpExtension(const std::string& path) {
    constexpr std::string_view ext = ".bmp";
    const bool has =
        path.size() > ext.size() &&
        std::equal(ext.begin(), ext.end(), path.end() - ext.size(),
                   [](char e, char c) { return e == std::tolower(static_cast<unsigned char>(c)); });
    return has ? path : path + std::string(ext);
}

bool ExportPicture(const Workspace& ws, const std::string& path, const Picture& picture,
                   Dialogs& dialogs) {
    const std::string target = WithBmpExtension(path);
    if (!ConfirmOutputs(ws, dialogs, {target}, {}))
        return false;
    std::string error;
    if (!WriteBmpFile(target, picture, error)) {
        dialogs.errorText(error);
        return false;
    }
    return true;
}

bool ExportOldPicture(const Workspace& ws, const std::string& path, const ReplacementDialog& dialog,
                      Dialogs& dialogs) {
    return ExportPicture(ws, path, dialog.OldPicture, dialogs);
}

} // namespace tovallo
