#include "workspace/Settings.h"
#include "fixtures/FirmwareBuilder.h"
#include "workspace/IniFile.h"
#include "workspace/Messages.h"

#include <gtest/gtest.h>

using namespace tovallo;
using namespace tovallo::testing;

TEST(IniFile, BehavesLikeTheProfileStringRoutines) {
    ScratchDir dir;
    const std::string path = dir.file("a.ini");
    WriteWholeFile(path, "; comment\r\n[MAIN]\r\n  PhoneModel = E7201  \r\nQuoted=\"a b\"\r\n\r\n"
                         "[Other]\r\nkey=1\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.get("main", "phonemodel"), "E7201");
    EXPECT_EQ(ini.get("Main", "Quoted"), "a b");
    EXPECT_EQ(ini.get("Main", "key"), "") << "keys belong to their own section";
    EXPECT_EQ(ini.get("Missing", "x"), "");

    ini.set("main", "PHONEMODEL", "C2001");
    ini.set("Main", "New", "a=b;c\\n");
    ini.set("Fresh", "k", "v");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(ReadWholeFile(path),
              "; comment\r\n[MAIN]\r\nPhoneModel=C2001\r\nQuoted=\"a b\"\r\n"
              "New=a=b;c\\n\r\n\r\n[Other]\r\nkey=1\r\n\r\n[Fresh]\r\nk=v\r\n");
    IniFile again(path);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.get("MAIN", "new"), "a=b;c\\n") << "values are stored raw";
}

TEST(Settings, FirstStartThenCloseThenLanguage) {
    ScratchDir dir;
    SettingsStore store(dir.path().string());
    Messages messages;
    messages.replace(8, "stale");

    StartupSettings first = store.LoadSettings(messages);
    EXPECT_TRUE(first.showAbout);
    EXPECT_TRUE(first.menuItemsToClick.empty());
    EXPECT_EQ(messages.text(8), "Search is completed.");
    IniFile written(store.settingsPath());
    ASSERT_TRUE(written.load());
    EXPECT_EQ(written.get("Main", "Installed"), "1");

    ASSERT_TRUE(store.SaveSettings({"E7201", "COM41", "B115200", "ms1500", false}));
    StartupSettings second = store.LoadSettings(messages);
    EXPECT_FALSE(second.showAbout);
    EXPECT_EQ(second.menuItemsToClick,
              (std::vector<std::string>{"E7201", "COM41", "B115200", "ms1500"}));
    EXPECT_FALSE(second.autoRefresh);
    EXPECT_TRUE(second.languageFile.empty());

    // A language file named in the settings replaces the messages it gives (Mes9 is message 8).
    WriteWholeFile(dir.file("ru.lng"), "[Form1]\r\nMIOpen=Open...\r\n[Messages]\r\nMes9=Done\r\n"
                                       "Mes0=never read\r\nMes1=\r\n");
    IniFile ini(store.settingsPath());
    ASSERT_TRUE(ini.load());
    ini.set("Main", "Language", "ru.lng");
    ini.set("Main", "FileManagerAutoRefresh", "1");
    ASSERT_TRUE(ini.save());
    StartupSettings third = store.LoadSettings(messages);
    EXPECT_TRUE(third.autoRefresh);
    EXPECT_EQ(third.languageFile, dir.file("ru.lng"));
    EXPECT_EQ(messages.text(8), "Done");
    EXPECT_EQ(messages.text(0), "Warning!") << "an empty value keeps the built-in text";
    EXPECT_EQ(LanguageFile(third.languageFile).caption("Form1", "miopen"), "Open...");

    ini.set("Main", "Language", "missing.lng");
    ASSERT_TRUE(ini.save());
    EXPECT_TRUE(store.LoadSettings(messages).languageFile.empty());
    EXPECT_EQ(messages.text(8), "Search is completed.");
}
