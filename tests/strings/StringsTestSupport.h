#pragma once

#include "fixtures/StringFixtures.h"
#include "strings/StringsSession.h"
#include "workspace/HexText.h"
#include "workspace/PendingChanges.h"

#include <array>

namespace tovallo::testing {

// The strings session on an opened flash image.
struct SessionOn {
    explicit SessionOn(const FlashImage& image) : img(image) {}
    OpenedImage img;
    StringsSession s;

    bool findTable() { return s.FindTable(img.ws, img.dialogs, img.bar); }
    bool select(size_t entry) { return s.SelectLanguage(img.ws, img.dialogs, entry); }
    bool find() { return s.FindString(img.ws, img.dialogs, img.bar); }
    bool add() { return s.AddToStringTable(img.ws, img.dialogs); }
    // Delete Language on `entry`, answering message 40 with Yes.
    bool deleteLanguage(size_t entry) {
        select(entry);
        img.dialogs.answers.push_back(true);
        return s.DeleteLanguage(img.ws, img.dialogs);
    }
    std::vector<std::string> items(LanguageList list) const { return s.languages.items(list); }
};

// The session on the string firmware of a model.
struct StringFirmwareSession : StringFirmware, SessionOn {
    explicit StringFirmwareSession(PhoneModel model)
        : StringFirmware(BuildStringFirmware(model)), SessionOn(image) {}
};

// `v` as four little-endian bytes.
inline std::string Le32(uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

// A language list item: the table address and the count.
inline std::string Item(uint32_t table, int count) {
    return ToHexAddr(table) + " " + std::to_string(count);
}

// The free regions as {Start, Size, Used, Reserved}.
using Blocks = std::vector<std::array<int64_t, 4>>;
inline Blocks BlocksOf(const FreeRegions& regions) {
    Blocks out;
    for (const FreeRegion& r : regions.regions())
        out.push_back({r.Start, r.Size, r.Used, r.Reserved});
    return out;
}

// The queued link changes as {Addr, Value, Prefix} and string changes as {Addr, Text}.
using Links = std::vector<std::array<uint32_t, 3>>;
inline Links LinksOf(const PendingChanges& changes) {
    Links out;
    for (const Links_& l : changes.LinkChanges)
        out.push_back({l.Addr, l.Value, l.Prefix});
    return out;
}
using Texts = std::vector<std::pair<uint32_t, std::string>>;
inline Texts TextsOf(const PendingChanges& changes) {
    Texts out;
    for (const Strings_& s : changes.StringChanges)
        out.emplace_back(s.Addr, s.Text);
    return out;
}

} // namespace tovallo::testing
