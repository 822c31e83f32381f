#pragma once

#include "images/CurrentPicture.h"
#include "images/FoundPictures.h"
#include "images/ImageType.h"
#include "images/PictureReader.h"

#include <cstdint>
#include <string>

namespace tovallo {

class Dialogs;

// The moves of the dump's "Image move" buttons: a page is Width x 640 bytes, a row Width x 2, a
// pixel 2 bytes.
enum class DumpMove { NextPage, PrevPage, RowUp, RowDown, PixelLeft, PixelRight };

// Moves the current address over a firmware of `fileSize` bytes. A move past either end is
// refused with message 1 ("The beginning of a file!") or 2 ("The end of a file!") and changes
// nothing. True when the address moved; the caller then draws the RAW-16 dump.
bool MoveDump(CurrentPicture& current, int64_t fileSize, DumpMove move, Dialogs& dialogs);

enum class PictureSide { Width, Height };

// 320 for the width, 240 for the height.
int MaxPictureSide(PictureSide side);
// What the width or height entry accepts, "1-320" or "1-240".
std::string PictureSideRangeText(PictureSide side);

// Enter in the width or height edit: the text is cleaned as a decimal number; an empty result
// keeps the value and a value outside the side's range is ignored. The caller redraws in every
// case.
void EnterPictureSide(CurrentPicture& current, PictureSide side, std::string text);

enum class AddressBase { Decimal, Hexadecimal };

// Enter in the address edits: the typed address becomes the current one when it lies inside the
// file (an empty text keeps the address), and the type there is recognised by `choice`. False,
// after the conversion error is reported, when the text is no number; nothing is to be drawn.
bool EnterAddress(const ByteReader& read, CurrentPicture& current, int64_t fileSize,
                  std::string text, AddressBase base, TypeChoice choice, Dialogs& dialogs);

// The address a picture is listed at: a RAW-16 picture of the found list is listed at its type
// byte, one before its pixels; any other picture at its own address.
uint32_t ListedAddress(const CurrentPicture& current, const FoundPictureList& found);

// Shows the picture listed at `listed`: its type is recognised by `choice`, and a RAW-16
// picture listed in `found` starts one byte later, past its type byte.
void SelectListedPicture(const ByteReader& read, CurrentPicture& current, uint32_t listed,
                         const FoundPictureList& found, TypeChoice choice);

// Another type choice for the picture on view: recognised again at the address it is listed at.
void ChangeTypeChoice(const ByteReader& read, CurrentPicture& current,
                      const FoundPictureList& found, TypeChoice choice);

} // namespace tovallo
