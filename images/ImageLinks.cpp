#include "images/ImageLinks.h"

#include "workspace/ChangeChecks.h"
#include "workspace/Dialogs.h"
#include "workspace/FirmwareSearch.h"
#include "workspace/HexText.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <cctype>

namespace tovallo {

namespace {

std::optional<uint32_t> parseAddressText(std::string text, Dialogs& dialogs) {
    CleanHexText(text);
    return ParseHexAddr(text, &dialogs);
}

} // namespace

std::string CleanDimensionText(const std::string& text) {
    std::string out;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '*')
            out += c;
    return out;
}

bool OpenLinkDialog(LinkDialog& dialog, const ImageTable& table, size_t row) {
    if (row >= table.size() || table[row].Address.empty())
        return false;
    dialog.Finded.clear();
    dialog.OldAddr = dialog.NewAddr = table[row].Address;
    dialog.OldDim = dialog.NewDim = table[row].Dimension;
    return true;
}

void FindImageLinks(Workspace& ws, LinkDialog& dialog, Progress& bar, Dialogs& dialogs) {
    if (!ws.FwIsOpen() || dialog.OldAddr.empty())
        return;
    const auto value = parseAddressText(dialog.OldAddr, dialogs);
    if (!value)
        return;
    dialog.Finded = FindLinks(ws, *value, bar, LinkResultsCapacity, ws.profile.FlashStart());
    if (!dialog.Finded.empty() && dialog.Finded.front() >= 4) {
        uint8_t entry[4] = {};
        if (ws.ReadAt(dialog.Finded.front() - 4, 4, entry) == 4)
            dialog.OldDim = DimensionText(entry[0] | entry[1] << 8, entry[2] | entry[3] << 8);
    }
    dialogs.inform(msg::SearchCompleted);
}

bool QueueLinkChanges(Workspace& ws, LinkDialog& dialog, size_t first, size_t last,
                      ImageTable& table, size_t row, Dialogs& dialogs) {
    if (!ws.FwIsOpen() || dialog.Finded.empty() || first > last)
        return false;
    if (!dialogs.ask(msg::ChangeImageAddress))
        return false;
    const auto value = parseAddressText(dialog.NewAddr, dialogs);
    if (!value)
        return false;
    const std::string newDim = CleanDimensionText(dialog.NewDim);
    uint32_t prefix = 0;
    if (newDim != dialog.OldDim) {
        const auto dim = ParseDimensionText(newDim);
        if (!dim || dim->first > 0xFFFF || dim->second > 0xFFFF) {
            dialogs.errorText("The new dimension \"" + dialog.NewDim +
                              "\" is not width*height with numbers up to 65535.");
            return false;
        }
        prefix = static_cast<uint32_t>(dim->first) + static_cast<uint32_t>(dim->second) * 65536;
    }
    last = std::min(last, dialog.Finded.size() - 1);
    for (size_t r = first; r <= last; ++r)
        if (const std::string problem = LinkChangeProblem(ws, dialog.Finded[r], prefix);
            !problem.empty()) {
            dialogs.errorText(problem);
            return false;
        }
    for (size_t r = first; r <= last; ++r)
        ws.changes.AppendLinkChange(dialog.Finded[r], *value, prefix);
    if (row < table.size() && first <= last) {
        table[row].Address = ToHexAddr(*value);
        if (prefix > 0)
            table[row].Dimension =
                DimensionText(static_cast<int>(prefix & 0xFFFF), static_cast<int>(prefix >> 16));
    }
    return true;
}

} // namespace tovallo
