// s3 from-bin / s3 to-bin: BIN and S3 conversions of any file, as on the converter tab.
#include "cli/Commands.h"

#include "srecord/ConversionForms.h"
#include "srecord/ExcludeRegionsModel.h"

#include "workspace/HexText.h"
#include "workspace/Workspace.h"

#include <memory>

namespace tovallo::cli {

namespace {

struct FromBinOptions {
    std::string input;
    std::string output;
    uint32_t start = 0;
    std::optional<uint32_t> stop;
    std::vector<std::string> exclude;
    bool preset = false;
    bool noHeader = false;
    bool yes = false;
};

struct ToBinOptions {
    std::string input;
    std::string output;
    bool packed = false;
    bool yes = false;
};

// "START-END", both address texts.
std::optional<std::pair<uint32_t, uint32_t>> parseRange(const std::string& range) {
    const auto dash = range.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const auto start = ParseHexAddr(range.substr(0, dash));
    const auto end = ParseHexAddr(range.substr(dash + 1));
    if (!start || !end)
        return std::nullopt;
    return std::pair{*start, *end};
}

// The preset first (it replaces the list), then each --exclude START-END.
std::vector<AddressRegion> excludedRegions(const FromBinOptions& o) {
    ExcludeRegionsModel model;
    if (o.preset)
        model.LoadPreset(ExcludeRegionsModel::PresetC200);
    for (const std::string& range : o.exclude) {
        const auto [start, end] = *parseRange(range);
        model.LEStart = ToHexAddr(start);
        model.LEStop = ToHexAddr(end);
        if (!model.AddRegion())
            usage("--exclude " + range + ": the end is below the start");
    }
    std::vector<AddressRegion> regions;
    model.Ok(regions);
    return regions;
}

void runFromBin(const FromBinOptions& o, const Output& out) {
    Workspace ws;
    CliDialogs dialogs(ws.messages, out, o.yes);
    BinToS3Form form;
    form.binFile = o.input;
    form.startText = ToHexAddr(o.start);
    if (o.stop) {
        form.wholeFile = false;
        form.stopText = ToHexAddr(*o.stop);
    }
    form.withHeader = !o.noHeader;
    ws.ExcludedRegions = excludedRegions(o);
    NullProgress progress;
    if (!ConvertBinToS3(ws, dialogs, progress, form, o.output))
        fail("nothing converted into " + o.output);
    out.success("wrote " + o.output);
}

void runToBin(const ToBinOptions& o, const Output& out) {
    Workspace ws;
    CliDialogs dialogs(ws.messages, out, o.yes);
    S3ToBinForm form;
    form.s3File = o.input;
    form.placeAtAddress = !o.packed;
    form.quiet = out.quiet;
    NullProgress progress;
    if (!ConvertS3ToBin(ws, dialogs, progress, form, o.output))
        fail("the conversion into " + o.output + " did not complete");
    out.success("wrote " + o.output);
}

} // namespace

void AddS3Commands(CLI::App& app, Output& out) {
    CLI::App* s3 = AddCommandGroup(app, "s3", "BIN and S3 conversions of any file");

    CLI::App* fromBin = AddCommand(*s3, "from-bin", "A BIN file (or a part) as S3 records", out);
    auto f = std::make_shared<FromBinOptions>();
    fromBin->add_option("IN.bin", f->input, "The BIN file")->required();
    fromBin->add_option("OUT.s3", f->output, "The S3 file to write")->required();
    fromBin->add_option("--start", f->start, "First address (default 0)")
        ->type_name("ADDR")
        ->transform(AddressText());
    fromBin->add_option("--stop", f->stop, "Last address (default: the whole file)")
        ->type_name("ADDR")
        ->transform(AddressText());
    const CLI::Validator rangeText(
        [](const std::string& text) -> std::string {
            return parseRange(text) ? std::string() : "needs START-END, not \"" + text + "\"";
        },
        "", "range");
    fromBin->add_option("--exclude", f->exclude, "Leave out a region; may be repeated")
        ->type_name("START-END")
        ->expected(1)
        ->take_all()
        ->allow_extra_args(false)
        ->check(rangeText);
    fromBin
        ->add_option_function<std::string>(
            "--preset", [f](const std::string&) { f->preset = true; },
            "Leave out the regions of the C200, X120 and P730 (c200)")
        ->type_name("c200")
        ->check(CLI::IsMember({"c200", "x120", "p730"}, CLI::ignore_case).description(""));
    fromBin->add_flag("--no-header", f->noHeader, "No S0 header record");
    fromBin->add_flag("--yes", f->yes, "Replace an existing output");
    fromBin->callback([f, &out] { runFromBin(*f, out); });

    CLI::App* toBin = AddCommand(*s3, "to-bin", "S3 records back into a BIN file", out,
                                 "Print no success messages and do not report the lines of "
                                 "header and end records");
    auto t = std::make_shared<ToBinOptions>();
    toBin->add_option("IN.s3", t->input, "The S3 file")->required();
    toBin->add_option("OUT.bin", t->output, "The BIN file to write")->required();
    toBin->add_flag("--packed", t->packed, "Data one after another, not at its addresses");
    toBin->add_flag("--yes", t->yes, "Replace an existing output");
    toBin->callback([t, &out] { runToBin(*t, out); });
}

} // namespace tovallo::cli
