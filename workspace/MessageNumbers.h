#pragma once

// Numbers of the texts in the message table, as Dialogs and language files ("Mes" number + 1)
// know them.
namespace tovallo::msg {

inline constexpr int Caption = 0;
inline constexpr int BeginningOfFile = 1;
inline constexpr int EndOfFile = 2;
inline constexpr int FileExists = 3;
inline constexpr int AlreadyInTable = 4;
inline constexpr int EnterImageName = 5;
inline constexpr int EnterLine = 6;
inline constexpr int CodePageChange = 7;
inline constexpr int SearchCompleted = 8;
inline constexpr int NotEnoughInformation = 9;
inline constexpr int OtherDimension = 10;
inline constexpr int KeepChanges = 11;
inline constexpr int ReduceRange = 12;
inline constexpr int Error = 13;
inline constexpr int ClearSearchedImages = 14;
inline constexpr int ImageTableNotFound = 15;
inline constexpr int ReplaceOtherDimension = 16;
inline constexpr int ImageLargerThanOriginal = 17;
inline constexpr int ChangeImageAddress = 18;
inline constexpr int OriginalNotFound = 19;
inline constexpr int LineIgnored = 20;
inline constexpr int ChecksumMismatch = 21;
inline constexpr int ConversionCompleted = 22;
inline constexpr int WrongAddress = 23;
inline constexpr int JavaGamesFound = 24;
inline constexpr int ReplaceFile = 25;
inline constexpr int SoundLargerThanOriginal = 26;
inline constexpr int TypeNotSupported = 27;
inline constexpr int ReplaceSound = 28;
inline constexpr int SoundTableNotFound = 29;
inline constexpr int PhoneNotConnected = 30;
inline constexpr int FileListError = 31;
inline constexpr int FileLoadingError = 32;
inline constexpr int AtCommandError = 33;
inline constexpr int NoPhoneMemory = 34;
inline constexpr int ModelNotSupported = 35;
inline constexpr int DeleteFiles = 36;
inline constexpr int SizePrefix = 37;
inline constexpr int IndexPrefix = 38;
inline constexpr int LoadingFile = 39;
inline constexpr int DeleteLanguage = 40;
inline constexpr int ReleasedMemory = 41;
inline constexpr int PictureTableFound = 42;
inline constexpr int SoundTableFound = 43;
inline constexpr int StringTableFound = 44;
inline constexpr int JavaTableFound = 45;
inline constexpr int FindAllResources = 46;
inline constexpr int MemoryStatus = 47;
inline constexpr int StringLongerThanOriginal = 48;
inline constexpr int NotEnoughFreeMemory = 49;
inline constexpr int ClearAllocatedMemory = 50;
inline constexpr int NotEnoughAllocatedMemory = 51;

} // namespace tovallo::msg
