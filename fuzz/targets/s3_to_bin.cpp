// An S3 file converted to a BIN file, in both modes: placed at the records' addresses and packed
// one record after another. The BIN exists exactly when the conversion reports success, no
// temporary file is left either way, and a packed BIN never holds more bytes than the text could
// carry.
#include "FuzzSupport.h"

#include "srecord/S3Converter.h"
#include "workspace/Progress.h"

#include <filesystem>

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::WriteScratchFile("in.s3", fuzz::AsText(data, size));
    const std::string out = fuzz::ScratchPath("out.bin");
    for (const bool place : {false, true}) {
        std::filesystem::remove(out);
        fuzz::QuietDialogs dialogs;
        S3Converter converter(dialogs, std::chrono::milliseconds(0));
        NullProgress progress;
        const bool ran = converter.S3ToBin(in, out, place, size % 2 == 0, progress);
        fuzz::Require(std::filesystem::exists(out) == ran, "a BIN exactly after a conversion");
        const auto files = std::distance(
            std::filesystem::directory_iterator(std::filesystem::path(in).parent_path()), {});
        fuzz::Require(files == (ran ? 2 : 1), "no temporary file is left");
        if (ran && !place)
            fuzz::Require(std::filesystem::file_size(out) <= size / 2, "packed data fit the text");
    }
    return 0;
}
