#pragma once

#include <optional>
#include <string>

namespace tovallo {

// How the core talks to the user. Messages are given by their number in the message table
// (plus text appended by the caller), so front ends can translate them and tests can assert
// which message was shown. Texts are Windows-1251 byte strings.
class Dialogs {
  public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;

    virtual void inform(int message, const std::string& appended = {}) = 0;
    virtual void warn(int message, const std::string& appended = {}) = 0;
    virtual void error(int message, const std::string& appended = {}) = 0;
    // A Yes/No question; only Yes (true) goes on.
    virtual bool ask(int message, const std::string& appended = {}) = 0;
    // A Yes/No/Cancel question where Cancel (also Escape or closing the box) keeps everything as
    // it was.
    virtual Answer askYesNoCancel(int message, const std::string& appended = {}) = 0;
    // A Yes/No question that has no number in the message table; only Yes (true) goes on.
    virtual bool askText(const std::string& text) = 0;
    // An error that has no number in the message table (file errors, text that is no number).
    virtual void errorText(const std::string& text) = 0;
    // An information box whose text the caller composed (a message with its values filled in).
    virtual void informText(const std::string& text) = 0;

    // File choice; filter in the "Description|*.ext|..." form. Empty when cancelled.
    virtual std::optional<std::string> openFile(const std::string& filter) = 0;
    virtual std::optional<std::string> saveFile(const std::string& filter,
                                                const std::string& suggestedName = {}) = 0;
};

} // namespace tovallo
