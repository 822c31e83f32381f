// s3 from-bin / s3 to-bin: BIN and S3 conversions of any file, as on the converter tab.
#include "cli/CliSupport.h"

#include "srecord/ConversionForms.h"
#include "srecord/ExcludeRegionsModel.h"

#include "workspace/HexText.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace tovallo::cli {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The preset first (it replaces the list), then each --exclude START-END.
std::vector<AddressRegion> excludedRegions(const Args& args) {
    ExcludeRegionsModel model;
    if (const auto preset = args.value("preset")) {
        const std::string name = lowerCase(*preset);
        if (name != "c200" && name != "x120" && name != "p730")
            usage("unknown preset \"" + *preset + "\" (c200, the regions of C200, X120, P730)");
        model.LoadPreset(ExcludeRegionsModel::PresetC200);
    }
    for (const std::string& range : args.values("exclude")) {
        const auto dash = range.find('-');
        if (dash == std::string::npos)
            usage("--exclude needs START-END, not \"" + range + "\"");
        model.LEStart = ToHexAddr(ParseNumber(range.substr(0, dash), "--exclude start"));
        model.LEStop = ToHexAddr(ParseNumber(range.substr(dash + 1), "--exclude end"));
        if (!model.AddRegion())
            usage("--exclude " + range + ": the end is below the start");
    }
    std::vector<AddressRegion> regions;
    model.Ok(regions);
    return regions;
}

int runFromBin(const std::vector<std::string>& words) {
    const Args args(words, {"start", "stop", "exclude", "preset"});
    args.allowOnly({"start", "stop", "exclude", "preset", "no-header", "yes"});
    Workspace ws;
    CliDialogs dialogs(ws.messages, args.flag("yes"));
    BinToS3Form form;
    form.binFile = args.at(0, "IN.bin");
    const std::string& output = args.at(1, "OUT.s3");
    form.startText =
        ToHexAddr(args.value("start") ? ParseNumber(*args.value("start"), "--start") : 0);
    if (const auto stop = args.value("stop")) {
        form.wholeFile = false;
        form.stopText = ToHexAddr(ParseNumber(*stop, "--stop"));
    }
    form.withHeader = !args.flag("no-header");
    ws.ExcludedRegions = excludedRegions(args);
    NullProgress progress;
    if (!ConvertBinToS3(ws, dialogs, progress, form, output))
        fail("nothing converted into " + output);
    std::cout << "wrote " << output << '\n';
    return 0;
}

int runToBin(const std::vector<std::string>& words) {
    const Args args(words, {});
    args.allowOnly({"packed", "quiet", "yes"});
    Workspace ws;
    CliDialogs dialogs(ws.messages, args.flag("yes"));
    S3ToBinForm form;
    form.s3File = args.at(0, "IN.s3");
    const std::string& output = args.at(1, "OUT.bin");
    form.placeAtAddress = !args.flag("packed");
    form.quiet = args.flag("quiet");
    NullProgress progress;
    if (!ConvertS3ToBin(ws, dialogs, progress, form, output))
        fail("the conversion into " + output + " did not complete");
    std::cout << "wrote " << output << '\n';
    return 0;
}

int runS3(const std::vector<std::string>& words) {
    if (words.empty())
        usage("missing from-bin or to-bin");
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (words[0] == "from-bin")
        return runFromBin(rest);
    if (words[0] == "to-bin")
        return runToBin(rest);
    usage("unknown s3 command \"" + words[0] + "\" (from-bin or to-bin)");
}

const CommandRegistration reg{
    "s3",
    "s3 from-bin IN.bin OUT.s3 [--start ADDR] [--stop ADDR] [--exclude START-END]... "
    "[--preset c200] [--no-header] [--yes]\n"
    "  s3 to-bin IN.s3 OUT.bin [--packed] [--quiet] [--yes]",
    &runS3};

} // namespace

} // namespace tovallo::cli
