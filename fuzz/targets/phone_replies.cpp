// A phone's replies over the serial line: the input is a raw reply, cleaned and read as a memory
// reply, a file list and a slot reply of both folders, and as an error.
#include "FuzzSupport.h"

#include "phone/PhoneFiles.h"
#include "phone/ReplyText.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string raw(fuzz::AsText(data, size));
    std::string errorText;
    if (ReplyError(raw, &errorText))
        fuzz::Require(errorText.find("\r\n") == std::string::npos, "the error text is one line");
    std::string reply = raw;
    CleanReply(reply);
    fuzz::Require(reply.find_first_of("\r\n") == std::string::npos, "a cleaned reply is one line");
    for (const PhoneFolder folder : {PhoneFolder::Pictures, PhoneFolder::Sounds}) {
        ParseMemInfo(reply).statusText();
        ParseSlotCount(folder, reply);
        if (const auto file = ParseSlotReply(folder, reply, 7)) {
            fuzz::Require(!file->Name.empty(), "a file has a name");
            file->shownName();
        }
    }
    ParseDecimal(std::string_view(raw));
    return 0;
}
