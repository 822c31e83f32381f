#pragma once

#include "images/FoundPictures.h"
#include "media/JavaTable.h"
#include "media/SoundList.h"
#include "strings/LanguageEntries.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;
class Progress;
class FreeRegions;
struct PhoneProfile;

// The four tables the survey looks for, in the order of their search patterns.
enum class SurveyKind { Strings = 0, Pictures = 1, Sounds = 2, Java = 3 };
inline constexpr size_t SurveyKindCount = 4;

// "strings", "pictures", "sounds", "java".
const char* SurveyKindName(SurveyKind kind);
std::optional<SurveyKind> SurveyKindFromName(const std::string& name);
// The question asked when a table of the kind is found: message 44, 42, 43 or 45.
int SurveyQuestion(SurveyKind kind);

// The search patterns, by kind: the string table signature, eight zero bytes and the picture
// table signature (at most 12 bytes), the sound table signature, the Java table marker.
std::array<std::string, SurveyKindCount> SurveyPatterns(const PhoneProfile& profile);

// A table the survey met.
struct SurveyedTable {
    SurveyKind Kind = SurveyKind::Strings;
    uint32_t Match = 0; // where its pattern starts
    uint32_t Table = 0; // what its reader starts from: Match, Match + 8 or Match + 136 (Java)
    bool Read = false;  // the question was answered Yes
    size_t Rows = 0;    // languages, pictures, sounds or Java files read
};

// What the survey found and read, for the tabs to show as their own reads would have. A kind
// that was not read leaves its tab as it was (its member stays empty).
struct SurveyResult {
    std::vector<SurveyedTable> tables; // in file order

    std::optional<LanguageEntries> languages;  // CStrLang / CStrLang2 (the string grid emptied)
    std::optional<uint32_t> pictureTable;      // LETableAddr
    std::optional<FoundPictureList> pictures;  // Images09, when the table could be read
    std::optional<std::string> soundTableText; // LESoundTblAddr as "Read Sounds Table" left it
    std::optional<SoundList> sounds;           // SGSoundTbl with SoundLinks, when read
    std::optional<JavaList> java;              // SGJava with JavaEntries

    const SurveyedTable* find(SurveyKind kind) const;
};

// "Find All Resources": searches the four tables from FlashStart with FindAnyInFirmware, at
// most four rounds, each next one from the match + 4; a pattern found leaves the search whatever
// the answer. Each table found is asked about (messages 44, 42, 43, 45); a Yes reads it as its
// tab does (the languages with deleted ones detected and their free blocks added to `regions`,
// which keeps any region already listed once). A search that finds nothing or is stopped ends
// the survey; message 8 at the end. Nothing happens while no firmware is open.
SurveyResult FindAllResources(Workspace& ws, Dialogs& dialogs, Progress& bar, FreeRegions& regions);

} // namespace tovallo
