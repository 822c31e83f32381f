#pragma once

#include "images/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovallo {

class Workspace;
class Dialogs;

// Every frame is a white picture of this size with the loaded picture drawn at its top-left.
inline constexpr int AnimationFrameWidth = 320;
inline constexpr int AnimationFrameHeight = 240;
// The current frame number is 8 bits wide, so a 256th frame is refused.
inline constexpr size_t MaxAnimationFrames = 255;

// The frames of the animation editor with its current frame number (1-based, 0 for none), its
// size fields and its options; the operations of its buttons and timer.
class AnimationFrames {
  public:
    struct Frame {
        Picture picture;    // AnimationFrameWidth x AnimationFrameHeight
        std::string source; // the file it was loaded from, never written by a save
    };

    bool AutoSize = true;    // "Auto Size of Image": the size fields follow the loaded pictures
    bool Compression = true; // "Enable compression": frames after the first saved as differences

    const std::vector<Frame>& frames() const { return frames_; }
    size_t count() const { return frames_.size(); }
    unsigned current() const { return current_; }
    // The frame shown, or nullptr while the current number is 0.
    const Picture* currentFrame() const;
    // "Frame: n/m".
    std::string framesText() const;

    // The size fields ("Image Width: ", "Image Height:"), 1-320 and 1-240; 1 x 1 at start.
    int width() const { return width_; }
    int height() const { return height_; }
    // Sets both fields; false (nothing changed) outside 1-320 x 1-240.
    bool setSize(int width, int height);

    // "Add Frame": false when the list already holds MaxAnimationFrames frames. A picture wider
    // or taller than a frame is cut; the current number goes up by one.
    bool canAddFrame() const { return frames_.size() < MaxAnimationFrames; }
    bool addFrame(const Picture& loaded, std::string source = {});
    // "Delete Frame": the current frame; nothing while the current number is 0.
    void deleteFrame();
    // "Exchange Frames" with the text of "Move To:": keeps its digits (the cleaned text is
    // written back) and moves the current frame to that position when it lies within the list.
    // Nothing while the current number is 0. Returns whether a frame moved.
    bool moveCurrentTo(std::string& text);
    void next();  // "Next"
    void prev();  // "Prev"
    void start(); // "Start"
    void end();   // "End"
    // A tick of the play timer: the next frame, after the last the first; nothing without frames.
    void tick();
    // Entering the tab forgets the current frame, not the frames.
    void tabEntered() { current_ = 0; }

  private:
    std::vector<Frame> frames_;
    uint8_t current_ = 0;
    int width_ = 1;
    int height_ = 1;
};

// "Add Frame" for each BMP file in turn, all or none: every file is read first, and a file that
// cannot be read as a BMP, or more files than the list has room for, adds nothing and tells
// why in `error`.
bool AddFrameFiles(AnimationFrames& animation, const std::vector<std::string>& paths,
                   std::string& error);

// The pictures "Save Animation" writes: each frame cut to the size fields from its top-left;
// with compression, from the second on, every pixel whose colour equals that of the previous
// frame (never of the picture saved before) becomes `transparent`.
std::vector<Picture> AnimationOutputPictures(const AnimationFrames& animation, Rgb24 transparent);

// base + "_" + i + ".bmp" for i from 0, base being `chosen` less its extension.
std::vector<std::string> AnimationFileNames(const std::string& chosen, size_t count);

// "Save Animation" to the name the user chose (itself never written): 24-bit BMP files named by
// AnimationFileNames, in the model's TransparentColor, replacing existing files without asking.
// Refuses (through `dialogs`, naming the file) a name that is the open firmware, a frame's
// source or no regular file, and writes nothing then, nor when any file cannot be written.
// Returns the files written, none without frames.
std::vector<std::string> SaveAnimation(const Workspace& ws, const AnimationFrames& animation,
                                       const std::string& chosen, Dialogs& dialogs);

} // namespace tovallo
