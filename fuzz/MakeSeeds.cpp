// Writes the generated seeds of the fuzz targets, one folder per target, from the builders the
// tests use. Small firmwares (a few KiB, model C200: their first byte is the filler 0xFF) hold
// one table each, so a fuzzer reaches the reader behind the signature at once.
#include "fixtures/FirmwareBuilder.h"
#include "fixtures/MediaFixtures.h"
#include "fixtures/PictureFixtures.h"
#include "images/BmpFile.h"
#include "images/ImageTable.h"
#include "images/ImageTableFile.h"
#include "media/SoundTableFile.h"
#include "workspace/S3Record.h"
#include "workspace/PhoneProfile.h"

#include <filesystem>
#include <fstream>
#include <iostream>

using namespace tovallo;
using namespace tovallo::testing;
namespace fs = std::filesystem;

namespace {

fs::path corpus;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(corpus / target);
    std::ofstream(corpus / target / ("gen-" + name), std::ios::binary) << bytes;
}

std::string dims(int width, int height) {
    return {static_cast<char>(width - 1), static_cast<char>(height - 1)};
}

std::string s3Line(uint32_t address, const std::string& data) {
    char text[S3MaxRecordText];
    return {text, FormatS3Record(address, reinterpret_cast<const uint8_t*>(data.data()),
                                 data.size(), text)};
}

void s3Seeds() {
    std::string text = S3HeaderRecord;
    text += s3Line(0x10, "0123456789ABCDEF") + s3Line(0x20, "tail") + s3Line(0x100, "gap");
    text += S3EndRecord;
    seed("s3_to_bin", "records.s3", text);
    seed("s3_to_bin", "lf-and-junk.s3", "junk\n" + s3Line(0, std::string(32, 'x')) + "S3\n");
    std::string line = s3Line(0x12345678, "abc");
    seed("s3_record", "record", line.substr(0, line.size() - 2));
}

void pictureSeeds() {
    const Picture striped = StripedPicture(12, 6, {0x1234, 0xF800, 0x07E0, 0x001F});
    seed("image09", "striped", dims(12, 6) + Build09Bytes(striped));
    seed("image09", "literal",
         dims(5, 3) + LiteralEncodeImage09(StripedPicture(5, 3, {0x0841, 0xFFFF}), 0, false, 0));
    seed("raw16", "striped", dims(12, 6) + BuildRaw16Bytes(striped));
    seed("wbmp", "checkered", dims(16, 16) + BuildWbmpBytes(CheckeredWbmpPicture(16, 16)));
    seed("bmp", "striped.bmp", EncodeBmp(striped));

    FirmwareBuilder fw(0x800);
    fw.place(0x100, Build09Bytes(striped)).place(0x400, Build09Bytes(StripedPicture(4, 4, {1, 2})));
    seed("find09", "two-pictures", fw.str());

    // The table's first entry carries the model's signature: C200's is a 26 x 14 picture.
    FirmwareBuilder table(0x800);
    const Picture first = StripedPicture(26, 14, {0x1234, 0xF800});
    const Picture wbmp = CheckeredWbmpPicture(16, 8);
    PlacePicturesWithTable(table, 0x40,
                           {{0x100, ImageType::Image09, first, Build09Bytes(first)},
                            {0x600, ImageType::Wbmp, wbmp, BuildWbmpBytes(wbmp)}});
    seed("firmware_image_table", "table", table.str());

    ImageEntry row{"Logo", "0x00001000", "144", "12*6", "16*", "09", false};
    ImageEntry raw{"Raw", "0x00002000", "288", "12*12", "16*", "RAW-16", true};
    seed("image_table_file", "two-rows.txt",
         ImageTableRecord(1, row) + "\r\n\r\n" + ImageTableRecord(2, raw) + "\r\n\r\n");
}

void textSeeds() {
    seed("settings", "mardek.ini",
         "[Main]\r\nInstalled=1\r\nPhoneModel=X1201\r\nLanguage=Russian.lng\r\n"
         "FileManagerAutoRefresh = \"1\"\r\n[Form1]\r\nButton1=Find\r\n[Messages]\r\nMes1=One\r\n");
    seed("hex_text", "address", "0x0000A000");
    seed("hex_text", "dollar", "$ff");
    seed("hex_text", "decimal", "4294967295");

    SoundList sounds;
    sounds.add({"Ring", 0x1000, 200, "MMF"}, 0x800);
    sounds.add({"Sound_2", 0x2000, 1, "MMF"}, 0);
    seed("sound_table_file", "two-rows.txt",
         SoundTableRecord(1, sounds.rows[0], 0x800) + "\r\n\r\n" +
             SoundTableRecord(2, sounds.rows[1], 0) + "\r\n\r\n");

    seed("jad_text", "manifest-and-jad",
         TetrisManifest() + std::string(1, '\0') +
             "MIDlet-Jar-Size: 1\r\nMIDlet-Jar-URL: old.jar\r\nMIDlet-Icon: /i.png\r\n"
             " continued\r\n");
    const fs::path jar = fs::temp_directory_path() / "tovallo-seed.jar";
    WriteJar(jar.string(), {{"META-INF/MANIFEST.MF", TetrisManifest(), false},
                            {"Game.class", std::string(40, 'c'), true}});
    seed("jar_manifest", "tetris.jar", ReadWholeFile(jar.string()));
    fs::remove(jar);

    seed("phone_replies", "memory", "\r\n+IMGW: 3,20,1000,5000,512\r\n\r\nOK\r\n");
    seed("phone_replies", "list", "+MELR: 3,20\r\nOK\r\n");
    seed("phone_replies", "slot", "+IMGR: 7,\"BOOK\",1234,2\r\nOK\r\n");
    seed("phone_replies", "error", "+CME ERROR: 21\r\n");
}

void firmwareSeeds() {
    const PhoneProfile c200 = PhoneProfile::ForModel(PhoneModel::C200);

    FirmwareBuilder strings(0x1400);
    strings.place(0x40, c200.StringTableSig);
    const uint32_t table = 0x200, count = 0x300;
    strings.placeU32(0x80, table).placeU32(0x84, count).placeU32(0x88, 0);
    strings.place(0x8C, std::string(12, '\0'));
    for (uint32_t r = 1; r < count; ++r)
        strings.placeU32(table + 4 * r, r % 2 ? 0x60 : 0x70);
    strings.place(0x60, std::string("Menu\0", 5)).place(0x70, std::string("OK\0", 3));
    seed("string_tables", "one-language", strings.str());

    FirmwareBuilder free(0x400);
    free.place(0x100, "zQKV").placeU32(0x104, 0x100).placeU32(0x108, 12);
    free.place(0x280, "zQKV").placeU32(0x284, 0x40).placeU32(0x288, 0x50);
    seed("free_blocks", "blocks", free.str());

    FirmwareBuilder sounds(0x600);
    sounds.place(0x40, c200.SoundTableSig);
    sounds.place(0x48, SoundEntry(0x100, 0x40, 0) + SoundEntry(0x200, 0x30, 0));
    sounds.place(0x100, MmfFile(0x38)).place(0x200, MmfFile(0x28, 2));
    seed("sound_table", "table", sounds.str());

    FirmwareBuilder java(0x600);
    java.place(0x20, JavaEntry(c200.JavaTableMarker, 0, 0));
    java.place(0x20 + 136, JavaEntry("#Tetris#Tetris.jad", 0x40, 0x400) +
                               JavaEntry("#Tetris#Tetris.jar", 0x80, 0x480) +
                               std::string(136, '\0'));
    seed("java_table", "table", java.str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tovallo-make-seeds CORPUS_DIR\n";
        return 2;
    }
    corpus = argv[1];
    s3Seeds();
    pictureSeeds();
    textSeeds();
    firmwareSeeds();
    return 0;
}
