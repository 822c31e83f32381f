// The settings file "Mardek.ini" and a language file, as found in the configuration directory:
// whatever they hold, the start-up reads them, writes Installed=1 so that the next start finds
// it, and a value set in the file is read back as set.
#include "FuzzSupport.h"

#include "workspace/IniFile.h"
#include "workspace/Messages.h"
#include "workspace/Settings.h"

using namespace tovallo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::AsText(data, size));
    const std::string settings = fuzz::WriteScratchFile(SettingsFileName, text);
    const std::string dir =
        settings.substr(0, settings.size() - std::string(SettingsFileName).size());
    Messages messages;
    SettingsStore(dir).LoadSettings(messages);
    fuzz::Require(!SettingsStore(dir).LoadSettings(messages).showAbout,
                  "the second start shows no About box");

    const std::string language = fuzz::WriteScratchFile("Language.lng", text);
    const LanguageFile file(language);
    fuzz::Require(file.loaded(), "a language file that exists is read");
    file.caption("Form1", "Button1");
    file.applyMessages(messages);

    IniFile ini(language);
    fuzz::Require(ini.load(), "the file is read");
    ini.set("Main", "Model", "X1201");
    fuzz::Require(ini.save(), "the file is written");
    IniFile again(language);
    fuzz::Require(again.load() && again.get("main", "MODEL") == "X1201",
                  "a value set is read back");
    return 0;
}
