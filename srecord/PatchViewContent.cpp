#include "srecord/PatchViewContent.h"

#include "srecord/PatchTable.h"

#include "strings/TextEncoding.h"
#include "workspace/HexText.h"
#include "workspace/PendingChanges.h"

namespace tovallo {

PatchViewContent PatchViewFor(const PendingChanges& changes, const PatchRow& row) {
    PatchViewContent view;
    if (!RowMatchesChanges(row, changes))
        return view;
    switch (row.Kind) {
    case PatchKind::String:
        view.kind = PatchViewContent::Kind::Text;
        view.text = Utf8ToWin(changes.StringChanges[row.Index].Text);
        break;
    case PatchKind::AddrDim: {
        const Links_& link = changes.LinkChanges[row.Index];
        view.kind = PatchViewContent::Kind::Text;
        view.text = "Address= " + ToHexAddr(link.Value);
        if (static_cast<int32_t>(link.Prefix) > 0)
            view.text += "\r\nDimension= " + std::to_string(link.Prefix & 0xFFFF) + "*" +
                         std::to_string(link.Prefix >> 16);
        break;
    }
    case PatchKind::Picture: {
        const Images_& image = changes.ImageChanges[row.Index];
        view.kind = PatchViewContent::Kind::Picture;
        view.pictureFile = image.FileName;
        view.width = static_cast<uint16_t>(image.Size & 0xFFFF);
        view.height = static_cast<uint16_t>(image.Size >> 16);
        break;
    }
    case PatchKind::JavaMIDlet:
    case PatchKind::SoundMusic:
        break;
    }
    return view;
}

} // namespace tovallo
