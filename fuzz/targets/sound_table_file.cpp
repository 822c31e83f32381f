// A sound table file opened by the user: each row it loads writes back to the same record.
#include "FuzzSupport.h"

#include "media/SoundList.h"
#include "media/SoundTableFile.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::WriteScratchFile("sounds.txt", fuzz::AsText(data, size));
    SoundList list;
    fuzz::QuietDialogs dialogs;
    if (!LoadSoundTable(path, list, dialogs))
        return 0;
    fuzz::Require(list.rows.size() == list.SoundLinks.size(), "one link a row");
    for (size_t r = 0; r < list.size(); ++r) {
        std::string problem;
        const auto back = ParseSoundTableRecord(
            SoundTableRecord(r + 1, list.rows[r], list.SoundLinks[r]), problem);
        fuzz::Require(back && !back->blank && back->row == list.rows[r] &&
                          back->link == list.SoundLinks[r],
                      "a loaded row is saved and loaded as it is");
    }
    return 0;
}
