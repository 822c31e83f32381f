#include "workspace/ChangeChecks.h"

#include "workspace/FirmwareFile.h"
#include "workspace/HexText.h"
#include "workspace/Workspace.h"

#include <fstream>

namespace tovallo {

namespace {

// Size of a readable, non-empty temporary file; -1 after noting the problem.
int64_t replacementSize(const std::string& kind, const std::string& name, std::string& problem) {
    std::ifstream in(name, std::ios::binary);
    const int64_t size = in ? FileSizeOf(name) : -1;
    if (size < 0)
        problem = "The temporary file of a " + kind + " change (\"" + name +
                  "\") is missing or unreadable; nothing was written.";
    else if (size == 0)
        problem = "The " + kind + " change's replacement (\"" + name +
                  "\") is empty; nothing was written.";
    return size > 0 ? size : -1;
}

} // namespace

std::string RangeProblem(const Workspace& ws, const std::string& what, uint64_t addr,
                         uint64_t count) {
    if (addr + count <= static_cast<uint64_t>(ws.FwSize()))
        return {};
    return what + " at " + ToHexAddr(static_cast<uint32_t>(addr)) + " (" + std::to_string(count) +
           " bytes) lies outside the firmware (" + std::to_string(ws.FwSize()) +
           " bytes); nothing was written.";
}

std::string LinkChangeProblem(const Workspace& ws, uint32_t addr, uint32_t prefix) {
    if (prefix == 0)
        return RangeProblem(ws, "A link change", addr, 4);
    if (addr < 4)
        return "A link change at " + ToHexAddr(addr) +
               " would put its dimension before the start of the firmware; nothing was written.";
    return RangeProblem(ws, "A link change", addr - 4, 8);
}

std::string PendingChangesProblem(const Workspace& ws) {
    const PendingChanges& c = ws.changes;
    std::string problem;
    auto fileChange = [&](const std::string& kind, const std::string& name, uint32_t addr) {
        const int64_t size = replacementSize(kind, name, problem);
        if (size > 0)
            problem = RangeProblem(ws, "A " + kind + " change", addr, static_cast<uint64_t>(size));
    };
    for (size_t i = 0; i < c.StringChanges.size() && problem.empty(); ++i)
        problem = RangeProblem(ws, "A string change", c.StringChanges[i].Addr,
                               c.StringChanges[i].Text.size());
    for (size_t i = 0; i < c.ImageChanges.size() && problem.empty(); ++i)
        fileChange("picture", c.ImageChanges[i].FileName, c.ImageChanges[i].Addr);
    for (size_t i = 0; i < c.LinkChanges.size() && problem.empty(); ++i)
        problem = LinkChangeProblem(ws, c.LinkChanges[i].Addr, c.LinkChanges[i].Prefix);
    for (size_t i = 0; i < c.JavaChanges.size() && problem.empty(); ++i) {
        const Java_& j = c.JavaChanges[i];
        fileChange("Java", j.FileName, j.DataAddr);
        if (problem.empty())
            problem = RangeProblem(ws, "A Java entry change", j.EntryAddr, j.EntryText.size());
        if (problem.empty())
            problem = RangeProblem(ws, "A Java entry change",
                                   uint64_t{j.EntryAddr} + ws.profile.JavaSizeOffset, 4);
    }
    for (size_t i = 0; i < c.SoundChanges.size() && problem.empty(); ++i)
        fileChange("sound", c.SoundChanges[i].FileName, c.SoundChanges[i].Addr);
    return problem;
}

} // namespace tovallo
