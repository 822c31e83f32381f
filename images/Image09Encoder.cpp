#include "images/Image09Encoder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tovallo {

namespace {

constexpr uint32_t PaletteLimit = 127;
constexpr uint32_t MaxPacketPixels = 63;

struct TallyEntry {
    Rgb565 colour;
    uint32_t uses;
};

// The picture's pixels as they are written, after the transparency rules.
std::vector<Rgb565> pixelList(const Picture& picture, Rgb565 key, bool transparent,
                              Rgb565 phoneTransparent) {
    std::vector<Rgb565> pixels;
    pixels.reserve(picture.Pixels.size());
    for (Rgb24 p : picture.Pixels) {
        Rgb565 c = ColorToRgb565(p);
        if (transparent && c == key)
            c = phoneTransparent;
        else if (!transparent && c == phoneTransparent)
            c = static_cast<Rgb565>(phoneTransparent + 1);
        pixels.push_back(c);
    }
    return pixels;
}

// Colour indexes: by use count, most used first; equal counts keep the order of first
// occurrence (a stable sort of the tally taken in scan order).
std::vector<TallyEntry> sortedTally(const std::vector<Rgb565>& pixels,
                                    std::vector<uint32_t>& indexOf) {
    constexpr uint32_t None = UINT32_MAX;
    indexOf.assign(65536, None);
    std::vector<TallyEntry> tally;
    for (Rgb565 c : pixels) {
        uint32_t& slot = indexOf[c];
        if (slot == None) {
            slot = static_cast<uint32_t>(tally.size());
            tally.push_back({c, 0});
        }
        ++tally[slot].uses;
    }
    std::stable_sort(tally.begin(), tally.end(),
                     [](const TallyEntry& a, const TallyEntry& b) { return a.uses > b.uses; });
    for (uint32_t i = 0; i < tally.size(); ++i)
        indexOf[tally[i].colour] = i;
    return tally;
}

class PacketWriter {
  public:
    PacketWriter(std::string& out, const std::vector<uint32_t>& indexOf)
        : out_(out), indexOf_(indexOf) {}

    bool inPalette(Rgb565 c) const { return indexOf_[c] < PaletteLimit; }

    void run(Rgb565 c, uint32_t count) {
        if (inPalette(c)) {
            put(0xC0 + count);
            put(indexOf_[c]);
        } else {
            put(0x80 + count);
            word(c);
        }
    }
    void literal(const Rgb565* first, uint32_t count) {
        const bool indices = inPalette(*first);
        put((indices ? 0x40 : 0x00) + count);
        for (uint32_t k = 0; k < count; ++k) {
            if (indices)
                put(indexOf_[first[k]]);
            else
                word(first[k]);
        }
    }

  private:
    void put(uint32_t byte) { out_ += static_cast<char>(byte & 0xFF); }
    void word(Rgb565 c) {
        put(c & 0xFF);
        put(c >> 8);
    }
    std::string& out_;
    const std::vector<uint32_t>& indexOf_;
};

} // namespace

std::string EncodeImage09(const Picture& picture, Rgb565 key, bool transparent,
                          Rgb565 phoneTransparent) {
    const std::vector<Rgb565> px = pixelList(picture, key, transparent, phoneTransparent);
    std::vector<uint32_t> indexOf;
    const std::vector<TallyEntry> tally = sortedTally(px, indexOf);

    std::string out;
    const auto paletteCount = std::min<size_t>(tally.size(), PaletteLimit);
    out.reserve(2 + 2 * paletteCount + px.size() * 2);
    out += '\x09';
    out += static_cast<char>(paletteCount);
    for (size_t i = 0; i < paletteCount; ++i) {
        out += static_cast<char>(tally[i].colour & 0xFF);
        out += static_cast<char>(tally[i].colour >> 8);
    }

    PacketWriter writer(out, indexOf);
    const size_t count = px.size();
    size_t i = 0;
    while (i + 1 < count) {
        uint32_t run = 1;
        while (run < MaxPacketPixels && i + run < count && px[i + run] == px[i])
            ++run;
        if (run >= 2) {
            writer.run(px[i], run);
            i += run;
            continue;
        }
        // A literal packet: neighbours differ and all colours are of one kind.
        const bool indices = writer.inPalette(px[i]);
        size_t j = i + 1;
        while (j < count && writer.inPalette(px[j]) == indices && px[j] != px[j - 1] &&
               j - i < MaxPacketPixels)
            ++j;
        // A last pixel followed by its equal is given back to start a repeated run.
        if (j < count && px[j] == px[j - 1] && j - i > 1)
            --j;
        writer.literal(&px[i], static_cast<uint32_t>(j - i));
        i = j;
    }
    if (i + 1 == count)
        writer.literal(&px[i], 1);
    return out;
}

} // namespace tovallo
