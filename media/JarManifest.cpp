#include "media/JarManifest.h"

#include <zip.h>

#include <cctype>
#include <cstring>
#include <memory>

namespace tovallo {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

bool isManifestName(const char* name) {
    static const char manifest[] = "META-INF/MANIFEST.MF";
    if (name == nullptr || std::strlen(name) != sizeof manifest - 1)
        return false;
    for (size_t i = 0; i + 1 < sizeof manifest; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != manifest[i])
            return false;
    return true;
}

} // namespace

std::optional<std::string> ReadJarManifest(const std::string& jarPath) {
    int error = 0;
    const std::unique_ptr<zip_t, ArchiveCloser> archive(
        zip_open(jarPath.c_str(), ZIP_RDONLY, &error));
    if (!archive)
        return std::nullopt;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        if (!isManifestName(zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW)))
            continue;
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
            stat.size > MaxManifestSize)
            return std::nullopt;
        const std::unique_ptr<zip_file_t, EntryCloser> entry(
            zip_fopen_index(archive.get(), index, 0));
        if (!entry)
            return std::nullopt;
        std::string text(static_cast<size_t>(stat.size), '\0');
        size_t got = 0;
        while (got < text.size()) {
            const zip_int64_t n = zip_fread(entry.get(), text.data() + got, text.size() - got);
            if (n <= 0)
                return std::nullopt;
            got += static_cast<size_t>(n);
        }
        // The end of the entry, where its checksum is tested; a byte more would be an entry
        // larger than its header says.
        char extra = 0;
        if (zip_fread(entry.get(), &extra, 1) != 0)
            return std::nullopt;
        return text;
    }
    return std::nullopt;
}

} // namespace tovallo
