#include "workspace/WriteFaults.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace tovallo {

namespace {

struct FaultState {
    std::optional<WriteFault> fault;
    uint64_t written = 0;
    unsigned syncs = 0;
};

FaultState& state() {
    static FaultState s;
    return s;
}

} // namespace

void SetWriteFault(std::optional<WriteFault> fault) {
    state() = FaultState{fault, 0, 0};
}

std::optional<WriteFault> ParseWriteFault(const char* text) {
    if (!text)
        return std::nullopt;
    const std::string t(text);
    const auto at = t.find('@');
    if (at == std::string::npos)
        return std::nullopt;
    WriteFault fault;
    const std::string action = t.substr(0, at);
    if (action == "exit")
        fault.action = WriteFault::Action::Exit;
    else if (action != "fail")
        return std::nullopt;
    std::string where = t.substr(at + 1);
    const bool sync = where.rfind("sync", 0) == 0;
    if (sync)
        where.erase(0, 4);
    if (where.empty() || where.find_first_not_of("0123456789") != std::string::npos ||
        where.size() > 18)
        return std::nullopt;
    const uint64_t n = std::strtoull(where.c_str(), nullptr, 10);
    if (sync)
        fault.atSync = static_cast<unsigned>(n);
    else
        fault.atByte = n;
    return fault;
}

WriteCounts WrittenSinceFaultSet() {
    return {state().written, state().syncs};
}

size_t WriteAllowance(size_t count) {
    FaultState& s = state();
    if (!s.fault)
        return count;
    if (!s.fault->atByte) {
        s.written += count;
        return count;
    }
    const uint64_t left = *s.fault->atByte > s.written ? *s.fault->atByte - s.written : 0;
    const size_t allowed = left < count ? static_cast<size_t>(left) : count;
    s.written += allowed;
    return allowed;
}

bool SyncAllowed() {
    FaultState& s = state();
    if (!s.fault)
        return true;
    const unsigned sync = s.syncs++;
    return !s.fault->atSync || sync != *s.fault->atSync || WriteFaultStrikes();
}

bool WriteFaultStrikes() {
    const FaultState& s = state();
    if (s.fault && s.fault->action == WriteFault::Action::Exit)
        _exit(s.fault->exitStatus);
    errno = s.fault ? s.fault->error : EIO;
    return false;
}

} // namespace tovallo
