#pragma once

#include "cli/CliSupport.h"
#include "strings/Cp1251.h"

#include <functional>
#include <string>
#include <vector>

namespace tovallo::cli {

// Dialogs of a command whose output is its records: information is dropped, warnings and errors
// are collected as lines for the command to print or fail with, and questions are answered by
// `answer` (No without it).
class CollectedDialogs : public CliDialogs {
  public:
    CollectedDialogs(const Messages& messages, const Output& out)
        : CliDialogs(messages, out, false) {}

    std::function<bool(int message)> answer;
    std::vector<std::string> reports; // UTF-8, one line each, in order

    void inform(int, const std::string& = {}) override {}
    void informText(const std::string&) override {}
    void warn(int message, const std::string& appended = {}) override {
        reports.push_back(text(message, appended));
    }
    void error(int message, const std::string& appended = {}) override {
        reports.push_back(text(message, appended));
    }
    void errorText(const std::string& text) override {
        reports.push_back(ComposedTextToUtf8(text));
    }
    bool ask(int message, const std::string& = {}) override { return answer && answer(message); }
    bool askText(const std::string&) override { return false; }

    // Fails the command with the first report, or with `otherwise` when there is none.
    [[noreturn]] void failWithReport(const std::string& otherwise) const {
        fail(reports.empty() ? otherwise : reports.front());
    }
};

} // namespace tovallo::cli
