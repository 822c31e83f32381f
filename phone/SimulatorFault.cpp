#include "phone/SimulatorFault.h"

#include "phone/ReplyText.h"

namespace tovallo {

bool SimulatorFault::hits(const std::string& line) const {
    if (block > 0 || command.empty())
        return false;
    if (command.back() == '*')
        return line.compare(0, command.size() - 1, command, 0, command.size() - 1) == 0;
    return line == command;
}

std::optional<SimulatorFault> ParseSimulatorFault(const std::string& faultText,
                                                  std::string& problem) {
    const size_t colon = faultText.find(':');
    if (colon == std::string::npos || colon + 1 == faultText.size()) {
        problem = "a fault reads KIND:TARGET, as in silent:AT+IMGR?";
        return std::nullopt;
    }
    const std::string head = faultText.substr(0, colon);
    const std::string target = faultText.substr(colon + 1);
    const size_t eq = head.find('=');
    const std::string kind = head.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : head.substr(eq + 1);

    SimulatorFault fault;
    if (kind == "silent") {
        fault.kind = SimulatorFault::Kind::Silent;
    } else if (kind == "garbage") {
        fault.kind = SimulatorFault::Kind::Garbage;
    } else if (kind == "error") {
        fault.kind = SimulatorFault::Kind::Error;
        if (!value.empty())
            fault.errorText = value;
    } else if (kind == "crcerr") {
        fault.kind = SimulatorFault::Kind::CrcError;
    } else if (kind == "cut") {
        fault.kind = SimulatorFault::Kind::Cut;
    } else if (kind == "slow") {
        fault.kind = SimulatorFault::Kind::Slow;
        if (!value.empty()) {
            const auto ms = ParseDecimal(value);
            if (!ms || *ms > 600000) {
                problem = "the pause of slow is milliseconds up to 600000";
                return std::nullopt;
            }
            fault.pause = std::chrono::milliseconds(*ms);
        }
    } else {
        problem = "unknown fault \"" + kind + "\" (silent, garbage, error, crcerr, cut, slow)";
        return std::nullopt;
    }
    if ((!value.empty() && fault.kind != SimulatorFault::Kind::Error &&
         fault.kind != SimulatorFault::Kind::Slow) ||
        fault.errorText.find_first_of("\r\n") != std::string::npos) {
        problem = "\"" + head + "\" takes no such value";
        return std::nullopt;
    }

    if (target.rfind("block:", 0) == 0) {
        const auto n = ParseDecimal(target.substr(6));
        if (!n || *n == 0 || *n > 1000000) {
            problem = "block:N counts data blocks from 1";
            return std::nullopt;
        }
        fault.block = static_cast<int>(*n);
    } else {
        fault.command = target;
    }
    return fault;
}

} // namespace tovallo
