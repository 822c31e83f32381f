#include "srecord/ConversionForms.h"

#include "srecord/S3Converter.h"

#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <filesystem>

namespace tovallo {

namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

// Converting a file onto itself would truncate the input before it is read.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

void refuseSameFile(Dialogs& dialogs, const std::string& path) {
    dialogs.errorText("The output file \"" + path + "\" is the file being converted.");
}

} // namespace

std::optional<std::string> ChooseOutputFile(Dialogs& dialogs, const std::string& filter,
                                            std::optional<std::string> given) {
    std::optional<std::string> name = given ? given : dialogs.saveFile(filter);
    if (!name || name->empty())
        return std::nullopt;
    if (fileExists(*name) && !dialogs.ask(msg::FileExists))
        return std::nullopt;
    return name;
}

bool ConvertS3ToBin(Workspace& ws, Dialogs& dialogs, Progress& progress, const S3ToBinForm& form,
                    std::optional<std::string> outputName) {
    if (!fileExists(form.s3File)) {
        dialogs.warn(msg::OriginalNotFound);
        return false;
    }
    const auto output = ChooseOutputFile(dialogs, BinFileFilter, std::move(outputName));
    if (!output)
        return false;
    if (sameFile(form.s3File, *output)) {
        refuseSameFile(dialogs, *output);
        return false;
    }
    S3Converter converter(dialogs, ws.pumpInterval);
    if (!converter.S3ToBin(form.s3File, *output, form.placeAtAddress, form.quiet, progress))
        return false;
    dialogs.inform(msg::ConversionCompleted);
    return true;
}

bool ConvertBinToS3(Workspace& ws, Dialogs& dialogs, Progress& progress, BinToS3Form& form,
                    std::optional<std::string> outputName) {
    if (!fileExists(form.binFile)) {
        dialogs.warn(msg::OriginalNotFound);
        return false;
    }
    const auto output = ChooseOutputFile(dialogs, S3FileFilter, std::move(outputName));
    if (!output)
        return false;
    if (sameFile(form.binFile, *output)) {
        refuseSameFile(dialogs, *output);
        return false;
    }
    if (form.startText.empty())
        form.startText = "0x0";
    CleanHexText(form.startText);
    if (!form.wholeFile)
        CleanHexText(form.stopText);
    const auto start = ParseHexAddr(form.startText, &dialogs);
    const auto stop =
        form.wholeFile ? std::optional<uint32_t>(0) : ParseHexAddr(form.stopText, &dialogs);
    if (!start || !stop)
        return false;

    BinaryFile out = BinaryFile::Create(*output);
    if (!out.isOpen()) {
        dialogs.warn(msg::OriginalNotFound);
        return false;
    }
    S3Converter converter(dialogs, ws.pumpInterval);
    const bool ran = converter.BinToS3(form.binFile, out, static_cast<int32_t>(*start),
                                       static_cast<int32_t>(*stop), form.withHeader,
                                       ws.ExcludedRegions, progress);
    if (!out.close()) {
        dialogs.warn(msg::Error);
        return false;
    }
    if (!ran)
        return false;
    dialogs.inform(msg::ConversionCompleted);
    return true;
}

} // namespace tovallo
