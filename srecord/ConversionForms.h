#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;

// The file filters of the converter's file dialogs.
inline constexpr char S3FileFilter[] = "Motorola S-record files|*.s3;*.sre;";
inline constexpr char BinFileFilter[] = "BIN file|*.bin";

// "Convert to BIN": the S3 file must exist (message 19); the output name is asked for when not
// given; an output that is the S3 file or the open firmware is refused, an existing one is
// replaced only after Yes to message 3. The BIN file appears only when the conversion ran to
// its end (message 22 shown, true returned).
struct S3ToBinForm {
    std::string s3File;         // LEs3File
    bool placeAtAddress = true; // RBAll ("All (with empty address)"), else RBPart
    bool quiet = true;          // CBDont ("Don't show error messages")
};
bool ConvertS3ToBin(Workspace& ws, Dialogs& dialogs, Progress& progress, const S3ToBinForm& form,
                    std::optional<std::string> outputName = std::nullopt);

// "Convert to s3": the start (and, for a part, the stop) text is normalised and written back.
// The whole file takes the start as the address of its first byte; a part converts the
// offsets [start, stop) and a stop of 0 (or one above 0x7FFFFFFF) means the whole file. The
// output is checked and confirmed as for "Convert to BIN" and appears only when complete.
struct BinToS3Form {
    std::string binFile;    // LEBinFile
    std::string startText;  // LEBinStart
    std::string stopText;   // LEBinStop
    bool wholeFile = true;  // RBAllBin, else RBPartBin
    bool withHeader = true; // header and end records around the data
};
bool ConvertBinToS3(Workspace& ws, Dialogs& dialogs, Progress& progress, BinToS3Form& form,
                    std::optional<std::string> outputName = std::nullopt);

// Asks for an output file name with `filter` when none is given; empty when cancelled.
std::optional<std::string> ChooseOutputName(Dialogs& dialogs, const std::string& filter,
                                            std::optional<std::string> given);
// Both for one output: empty when cancelled, refused or declined.
std::optional<std::string> ChooseOutputFile(const Workspace& ws, Dialogs& dialogs,
                                            const std::string& filter,
                                            std::optional<std::string> given,
                                            const std::vector<std::string>& inputs);

} // namespace tovallo
