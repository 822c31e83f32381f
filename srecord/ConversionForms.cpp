#include "srecord/ConversionForms.h"

#include "srecord/S3Converter.h"

#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <filesystem>

namespace tovallo {

namespace {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec);
}

} // namespace

std::optional<std::string> ChooseOutputName(Dialogs& dialogs, const std::string& filter,
                                            std::optional<std::string> given) {
    std::optional<std::string> name = given ? given : dialogs.saveFile(filter);
    if (!name || name->empty())
        return std::nullopt;
    return name;
}

std::optional<std::string> ChooseOutputFile(const Workspace& ws, Dialogs& dialogs,
                                            const std::string& filter,
                                            std::optional<std::string> given,
                                            const std::vector<std::string>& inputs) {
    auto name = ChooseOutputName(dialogs, filter, std::move(given));
    if (!name || !ConfirmOutputs(ws, dialogs, {*name}, inputs))
        return std::nullopt;
    return name;
}

bool ConvertS3ToBin(Workspace& ws, Dialogs& dialogs, Progress& progress, const S3ToBinForm& form,
                    std::optional<std::string> outputName) {
    if (!fileExists(form.s3File)) {
        dialogs.warn(msg::OriginalNotFound);
        return false;
    }
    const auto output =
        ChooseOutputFile(ws, dialogs, BinFileFilter, std::move(outputName), {form.s3File});
    if (!output)
        return false;
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
    const auto output =
        ChooseOutputFile(ws, dialogs, S3FileFilter, std::move(outputName), {form.binFile});
    if (!output)
        return false;
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

    OutputFile out = OutputFile::Create(*output);
    if (!out.isOpen()) {
        dialogs.warn(msg::OriginalNotFound);
        return false;
    }
    S3Converter converter(dialogs, ws.pumpInterval);
    if (!converter.BinToS3(form.binFile, out, static_cast<int32_t>(*start),
                           static_cast<int32_t>(*stop), form.withHeader, ws.ExcludedRegions,
                           progress))
        return false;
    if (!out.commit()) {
        dialogs.errorText(out.error());
        return false;
    }
    dialogs.inform(msg::ConversionCompleted);
    return true;
}

} // namespace tovallo
