#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tovallo {

// A misbehaviour of the simulated phone, aimed at one command or at one data block of every
// write. Written as KIND[=VALUE]:TARGET:
//   silent            no reply at all
//   garbage           the echo, then bytes that mean nothing, then silence
//   error[=TEXT]      "+CME ERROR: TEXT" (default 100; NOMEMORY for a full phone)
//   crcerr            "CRCERR"
//   cut               the first half of the right reply, then silence
//   slow[=MS]         the right reply in three pieces, each after a pause of MS (default 400)
// TARGET is a command as sent, without its CR ("AT+IMGR?", "AT+IMGR=2"; a final "*" matches
// every command starting with the rest, "AT+IMGW=*"), or "block:N" for the N-th data block of
// each write (the byte of a deletion is block 1). Apart from "slow", a fault also keeps the
// command or block from having any effect.
struct SimulatorFault {
    enum class Kind { Silent, Garbage, Error, CrcError, Cut, Slow };

    Kind kind = Kind::Silent;
    std::string command;
    int block = 0; // > 0 when aimed at a data block
    std::string errorText = "100";
    std::chrono::milliseconds pause{400};

    bool hits(const std::string& line) const;
    bool hitsBlock(int number) const { return block > 0 && block == number; }
};

// Nothing, with the reason in `problem`, for a text that is no fault.
std::optional<SimulatorFault> ParseSimulatorFault(const std::string& faultText,
                                                  std::string& problem);

} // namespace tovallo
