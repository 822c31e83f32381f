#include "images/AnimationFrames.h"

#include "images/BmpFile.h"
#include "workspace/Dialogs.h"
#include "workspace/HexText.h"
#include "workspace/OutputFile.h"
#include "workspace/Workspace.h"

#include <algorithm>
#include <filesystem>

namespace tovallo {

const Picture* AnimationFrames::currentFrame() const {
    return current_ == 0 ? nullptr : &frames_[current_ - 1u].picture;
}

std::string AnimationFrames::framesText() const {
    return "Frame: " + std::to_string(current_) + "/" + std::to_string(frames_.size());
}

bool AnimationFrames::setSize(int width, int height) {
    if (width < 1 || width > AnimationFrameWidth || height < 1 || height > AnimationFrameHeight)
        return false;
    width_ = width;
    height_ = height;
    return true;
}

bool AnimationFrames::addFrame(const Picture& loaded, std::string source) {
    if (!canAddFrame())
        return false;
    const int w = std::min(loaded.Width, AnimationFrameWidth);
    const int h = std::min(loaded.Height, AnimationFrameHeight);
    if (AutoSize && w > 0 && h > 0) {
        if (frames_.empty())
            setSize(w, h);
        else
            setSize(std::max(width_, w), std::max(height_, h));
    }
    Frame frame{Picture(AnimationFrameWidth, AnimationFrameHeight), std::move(source)};
    for (int y = 0; y < h; ++y)
        std::copy_n(loaded.Pixels.begin() + static_cast<ptrdiff_t>(y) * loaded.Width, w,
                    frame.picture.Pixels.begin() + static_cast<ptrdiff_t>(y) * AnimationFrameWidth);
    frames_.push_back(std::move(frame));
    ++current_;
    return true;
}

void AnimationFrames::deleteFrame() {
    if (current_ == 0)
        return;
    frames_.erase(frames_.begin() + (current_ - 1));
    if (current_ > 1)
        --current_;
    if (frames_.empty())
        current_ = 0;
}

bool AnimationFrames::moveCurrentTo(std::string& text) {
    CleanDecText(text);
    if (text.empty() || current_ == 0)
        return false;
    const auto n = ParseDecimal(text);
    if (!n || *n < 1 || *n > frames_.size())
        return false;
    Frame moving = std::move(frames_[current_ - 1u]);
    frames_.erase(frames_.begin() + (current_ - 1));
    frames_.insert(frames_.begin() + (*n - 1), std::move(moving));
    return true;
}

void AnimationFrames::next() {
    if (frames_.size() > current_)
        ++current_;
}

void AnimationFrames::prev() {
    if (current_ >= 2)
        --current_;
}

void AnimationFrames::start() {
    if (!frames_.empty())
        current_ = 1;
}

void AnimationFrames::end() {
    current_ = static_cast<uint8_t>(frames_.size());
}

void AnimationFrames::tick() {
    if (frames_.empty())
        return;
    current_ = current_ >= frames_.size() ? 1 : static_cast<uint8_t>(current_ + 1);
}

bool AddFrameFiles(AnimationFrames& animation, const std::vector<std::string>& paths,
                   std::string& error) {
    if (paths.size() > MaxAnimationFrames - animation.count()) {
        error = "An animation holds at most " + std::to_string(MaxAnimationFrames) + " frames.";
        return false;
    }
    // Kept cut to a frame, so many large files never add up in memory.
    std::vector<Picture> pictures;
    for (const std::string& path : paths) {
        Picture loaded;
        if (!ReadBmpFile(path, loaded, error))
            return false;
        pictures.push_back(loaded.cropped(AnimationFrameWidth, AnimationFrameHeight));
    }
    for (size_t i = 0; i < paths.size(); ++i)
        animation.addFrame(pictures[i], paths[i]);
    return true;
}

std::vector<Picture> AnimationOutputPictures(const AnimationFrames& animation, Rgb24 transparent) {
    std::vector<Picture> out;
    const int w = animation.width(), h = animation.height();
    const Picture* previous = nullptr;
    for (const AnimationFrames::Frame& frame : animation.frames()) {
        Picture picture = frame.picture.cropped(w, h);
        if (animation.Compression && previous) {
            // Compared with the previous frame itself, never with the difference saved for it.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (picture.at(x, y) == previous->at(x, y))
                        picture.at(x, y) = transparent;
        }
        out.push_back(std::move(picture));
        previous = &frame.picture;
    }
    return out;
}

std::vector<std::string> AnimationFileNames(const std::string& chosen, size_t count) {
    const std::string base = std::filesystem::path(chosen).replace_extension().string();
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i)
        names.push_back(base + "_" + std::to_string(i) + ".bmp");
    return names;
}

std::vector<std::string> SaveAnimation(const Workspace& ws, const AnimationFrames& animation,
                                       const std::string& chosen, Dialogs& dialogs) {
    if (animation.frames().empty())
        return {};
    const std::vector<std::string> names = AnimationFileNames(chosen, animation.count());
    std::vector<std::string> sources;
    for (const AnimationFrames::Frame& frame : animation.frames())
        if (!frame.source.empty())
            sources.push_back(frame.source);
    for (const std::string& name : names)
        if (!CheckOutputTarget(ws, name, sources, dialogs))
            return {};

    const std::vector<Picture> pictures =
        AnimationOutputPictures(animation, ws.profile.TransparentColor);
    OutputFileSet outputs;
    for (size_t i = 0; i < names.size(); ++i) {
        OutputFile& file = outputs.create(names[i]);
        if (!file.isOpen() || !file.write(EncodeBmp(pictures[i]))) {
            dialogs.errorText(file.error()); // it names the file
            return {};
        }
    }
    if (!outputs.commitAll()) {
        dialogs.errorText(outputs.error());
        return {};
    }
    return names;
}

} // namespace tovallo
