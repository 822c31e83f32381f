#pragma once

#include <cstdint>
#include <string>

namespace tovallo {

class Workspace;

// Why `count` bytes at `addr` cannot be written into the open firmware (they would fall outside
// it); empty when they can. `what` names the change in the text ("A picture change").
std::string RangeProblem(const Workspace& ws, const std::string& what, uint64_t addr,
                         uint64_t count);

// The same for a link change: Value at `addr`, and Prefix at `addr` - 4 when it is not 0.
std::string LinkChangeProblem(const Workspace& ws, uint32_t addr, uint32_t prefix);

// The first reason why the pending changes cannot all be written: a change outside the
// firmware, or a temporary file that is missing, unreadable or empty. Empty when there is none.
// Save All and the patch writer both refuse on it, so a patch never holds what the firmware
// would not take.
std::string PendingChangesProblem(const Workspace& ws);

} // namespace tovallo
