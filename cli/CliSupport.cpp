#include "cli/CliSupport.h"

#include "workspace/HexText.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace tovallo::cli {

namespace {

std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

} // namespace

void fail(const std::string& message) {
    throw CliError(1, message);
}
void usage(const std::string& message) {
    throw CliError(2, message);
}

CommandRegistration::CommandRegistration(const char* name, const char* usageText, CommandFn run) {
    registry().push_back({name, usageText, run});
}

const std::vector<Command>& Commands() {
    return registry();
}

Args::Args(std::vector<std::string> words, const std::vector<std::string>& valueOptions) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() > 2 && w.rfind("--", 0) == 0) {
            std::string name = w.substr(2);
            const auto eq = name.find('=');
            if (eq != std::string::npos) {
                options_.emplace(name.substr(0, eq), name.substr(eq + 1));
            } else if (std::find(valueOptions.begin(), valueOptions.end(), name) !=
                       valueOptions.end()) {
                if (i + 1 >= words.size())
                    usage("option --" + name + " needs a value");
                options_.emplace(name, words[++i]);
            } else {
                options_.emplace(name, "");
            }
        } else {
            positional_.push_back(w);
        }
    }
}

const std::string& Args::at(size_t n, const std::string& what) const {
    if (n >= positional_.size())
        usage("missing " + what);
    return positional_[n];
}

bool Args::flag(const std::string& name) const {
    return options_.count(name) > 0;
}

std::optional<std::string> Args::value(const std::string& name) const {
    const auto it = options_.find(name);
    if (it == options_.end())
        return std::nullopt;
    return it->second;
}

std::vector<std::string> Args::values(const std::string& name) const {
    std::vector<std::string> out;
    const auto range = options_.equal_range(name);
    for (auto it = range.first; it != range.second; ++it)
        out.push_back(it->second);
    return out;
}

void Args::allowOnly(const std::vector<std::string>& known) const {
    for (const auto& [name, value] : options_)
        if (std::find(known.begin(), known.end(), name) == known.end())
            usage("unknown option --" + name);
}

uint32_t ParseNumber(const std::string& text, const std::string& what) {
    const auto v = ParseHexAddr(text);
    if (!v)
        usage(what + ": " + NotAnIntegerText(text));
    return *v;
}

PhoneModel ParseModel(const std::optional<std::string>& text) {
    if (!text)
        return PhoneModel::C200;
    const auto m = ModelFromCliName(*text);
    if (!m)
        usage("unknown phone model \"" + *text + "\" (C200, X120, P730, E720, E710 or E850)");
    return *m;
}

std::string ParseHexBytes(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != ',' && c != ':' && c != '\t')
            usage("\"" + text + "\" is not a list of hexadecimal bytes");
    }
    if (digits.size() % 2 != 0)
        usage("\"" + text + "\" has an odd number of hexadecimal digits");
    std::string out;
    for (size_t i = 0; i < digits.size(); i += 2)
        out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return out;
}

std::string ToHexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::string Cp1251ToUtf8(const std::string& text) {
    std::string out;
    auto put = [&out](unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    };
    for (unsigned char b : text) {
        if (b < 0x80)
            put(b);
        else if (b >= 0xC0)
            put(0x410 + (b - 0xC0));
        else if (b == 0xA8)
            put(0x401);
        else if (b == 0xB8)
            put(0x451);
        else if (b == 0xB9)
            put(0x2116);
        else
            put('?');
    }
    return out;
}

void CliDialogs::print(const char* kind, int message, const std::string& appended) {
    std::string text = messages_.text(message) + appended;
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::cerr << kind << Cp1251ToUtf8(text) << '\n';
}

void CliDialogs::inform(int message, const std::string& appended) {
    print("", message, appended);
}
void CliDialogs::warn(int message, const std::string& appended) {
    print("warning: ", message, appended);
}
void CliDialogs::error(int message, const std::string& appended) {
    ++errors_;
    print("error: ", message, appended);
}
bool CliDialogs::ask(int message, const std::string& appended) {
    print(yes_ ? "(answered Yes) " : "(answered No; --yes answers Yes) ", message, appended);
    return yes_;
}
// Without --yes the answer is Cancel, not No: No would discard queued work that nobody saw.
Dialogs::Answer CliDialogs::askYesNoCancel(int message, const std::string& appended) {
    print(yes_ ? "(answered Yes) " : "(answered Cancel; --yes answers Yes) ", message, appended);
    return yes_ ? Answer::Yes : Answer::Cancel;
}
void CliDialogs::informText(const std::string& text) {
    std::cerr << Cp1251ToUtf8(text) << '\n';
}
void CliDialogs::errorText(const std::string& text) {
    ++errors_;
    std::cerr << "error: " << Cp1251ToUtf8(text) << '\n';
}

} // namespace tovallo::cli

#include "workspace/Workspace.h"

namespace tovallo::cli {

namespace {

// Collects a refusal so the command can fail with one line.
class CollectingDialogs : public CliDialogs {
  public:
    explicit CollectingDialogs(const Messages& m) : CliDialogs(m, false) {}
    void errorText(const std::string& text) override { message = text; }
    std::string message;
};

} // namespace

std::string Utf8ToCp1251(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        unsigned cp = b;
        size_t len = 1;
        if (b >= 0xF0)
            len = 4, cp = b & 0x07;
        else if (b >= 0xE0)
            len = 3, cp = b & 0x0F;
        else if (b >= 0xC0)
            len = 2, cp = b & 0x1F;
        for (size_t k = 1; k < len && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += len;
        if (cp < 0x80)
            out += static_cast<char>(cp);
        else if (cp >= 0x410 && cp <= 0x44F)
            out += static_cast<char>(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += '\xA8';
        else if (cp == 0x451)
            out += '\xB8';
        else if (cp == 0x2116)
            out += '\xB9';
        else
            out += '?';
    }
    return out;
}

void OpenFirmwareOrFail(Workspace& ws, const std::string& path, PhoneModel model, bool writable) {
    ws.SelectModel(model);
    CollectingDialogs dialogs(ws.messages);
    if (!ws.OpenFirmware(path, dialogs, writable))
        fail(Cp1251ToUtf8(dialogs.message));
}

} // namespace tovallo::cli
