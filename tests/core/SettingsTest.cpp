#include "settings/Settings.h"
#include "system/UserFolders.h"

#include "base/Exceptions.h"
#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tessel {
namespace {

using test::FileExists;
using test::FolderEntries;
using test::ReadText;
using test::TempDir;
using test::WriteText;

// Sets an environment variable (or removes it) for the life of the object.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvironmentVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class SettingsFile : public ::testing::Test {
protected:
    // The settings that a file holding these [Settings] lines gives when
    // loaded over the start values.
    TMinimapSettings LoadedFrom(const std::string& settingsLines)
    {
        WriteText(file, "[Settings]\n" + settingsLines + "\n");
        TMinimapSettings settings;
        LoadSettings(file, settings);
        return settings;
    }

    TempDir dir;
    std::string file = dir.File("Minimaps.ini");
};

TEST_F(SettingsFile, NoFileGivesTheCurrentValuesAndLoadingCreatesNothing)
{
    TMinimapSettings settings;
    EXPECT_EQ(LoadSettings(file, settings), "");
    EXPECT_EQ(settings.ImageSizes, (std::array<int32_t, 4>{160, 160, 160, 160}));
    EXPECT_TRUE(settings.DspUnits);
    EXPECT_EQ(settings.MainDat, "");

    settings.ImageSizes = {1, 2, 3, 4};
    settings.DspUnits = false;
    settings.MainDat = "/games/MAINDAT.WAR";
    LoadSettings(file, settings);
    EXPECT_EQ(settings.ImageSizes, (std::array<int32_t, 4>{1, 2, 3, 4}));
    EXPECT_FALSE(settings.DspUnits);
    EXPECT_EQ(settings.MainDat, "/games/MAINDAT.WAR");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{});
}

TEST_F(SettingsFile, NumbersFollowTheIntegerTextRuleWithHexPrefixesAndFallBackToTheDefault)
{
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"0x40", 64}, {"0X40", 64},       {"$40", 64},        {"0x1f", 31},          {"-5", -5},
        {"+7", 7},    {"$FFFFFFFF", -1},  {"0", 0},           {"0x", 160},           {"64 px", 160},
        {"sixty", 160}, {"", 160},        {"2147483648", 160}, {"$123456789", 160}, {"-$1", 160},
        {"0x-1", 160}, {" 0x40 ", 64},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(LoadedFrom("Size64=" + text).ImageSize(2), expected) << "Size64=" << text;
}

TEST_F(SettingsFile, DspUnitsIsSetByAnyNonZeroNumberAndKeepsTheDefaultOtherwise)
{
    const auto flagFrom = [this](const std::string& text, bool defaultValue) {
        WriteText(file, "[Settings]\nDspUnits=" + text + "\n");
        return ReadSettingFlag(file, "Settings", "DspUnits", defaultValue);
    };
    EXPECT_TRUE(flagFrom("2", false));
    EXPECT_TRUE(flagFrom("-1", false));
    EXPECT_FALSE(flagFrom("0", true));
    EXPECT_TRUE(flagFrom("yes", true));
    EXPECT_FALSE(flagFrom("yes", false));
    EXPECT_FALSE(LoadedFrom("DspUnits=0").DspUnits);
}

TEST_F(SettingsFile, OneSaveAndOneLastDirectoryWriteExactlyTheNineLines)
{
    TMinimapSettings settings;
    settings.MainDat = R"(C:\Games\MAINDAT.WAR)";
    SaveSettings(file, settings);
    SaveLastDirectory(file, dir.File("maps/a.pud"));

    EXPECT_EQ(ReadText(file), "[Settings]\n"
                              "Size32=160\n"
                              "Size64=160\n"
                              "Size96=160\n"
                              "Size128=160\n"
                              "DspUnits=1\n"
                              "MainDat=C:\\Games\\MAINDAT.WAR\n"
                              "[Last]\n"
                              "PUDDir=" + dir.File("maps") + "/\n");

    TMinimapSettings loaded;
    loaded.MainDat = "other";
    EXPECT_EQ(LoadSettings(file, loaded), dir.File("maps") + "/");
    EXPECT_EQ(loaded.MainDat, R"(C:\Games\MAINDAT.WAR)");
}

TEST_F(SettingsFile, AFileFromAnotherProgramIsReadAndKeptExceptForTheRewrittenLines)
{
    const std::string foreign = "; written by hand\r\n"
                                "[Last]\r\n"
                                "PUDDir = /old/maps/\r\n"
                                "\r\n"
                                "[settings]\r\n"
                                "SIZE64 = 0x40\r\n"
                                "dspunits=0\r\n"
                                "Theme=dark\r\n"
                                "# end of settings\r\n"
                                "[Window]\r\n"
                                "Left=10\r\n";
    WriteText(file, foreign);

    TMinimapSettings settings;
    EXPECT_EQ(LoadSettings(file, settings), "/old/maps/");
    EXPECT_EQ(settings.ImageSizes, (std::array<int32_t, 4>{160, 64, 160, 160}));
    EXPECT_FALSE(settings.DspUnits);

    settings.ImageSize(2) = 200;
    SaveSettings(file, settings);
    SaveLastDirectory(file, "");
    EXPECT_EQ(ReadText(file), "; written by hand\r\n"
                              "[Last]\r\n"
                              "PUDDir = /old/maps/\r\n"
                              "\r\n"
                              "[settings]\r\n"
                              "SIZE64 = 200\r\n"
                              "dspunits=0\r\n"
                              "Theme=dark\r\n"
                              "Size32=160\r\n"
                              "Size96=160\r\n"
                              "Size128=160\r\n"
                              "MainDat=\r\n"
                              "# end of settings\r\n"
                              "[Window]\r\n"
                              "Left=10\r\n");
}

TEST_F(SettingsFile, TextsLongerThan1023CharactersAreCut)
{
    EXPECT_EQ(LoadedFrom("MainDat=" + std::string(1500, 'x')).MainDat, std::string(1023, 'x'));
}

TEST_F(SettingsFile, AnEmptyLastFileNameWritesNothing)
{
    SaveLastDirectory(file, "");
    EXPECT_FALSE(FileExists(file));

    WriteText(file, "[Last]\nPUDDir=/kept/\n");
    SaveLastDirectory(file, "");
    EXPECT_EQ(ReadText(file), "[Last]\nPUDDir=/kept/\n");
    SaveLastDirectory(file, "/home/u/maps/a.pud");
    EXPECT_EQ(ReadText(file), "[Last]\nPUDDir=/home/u/maps/\n");
}

TEST_F(SettingsFile, NumbersAndFlagsAreWrittenAsPlainDecimals)
{
    WriteSettingNumber(file, "Settings", "Size32", -5);
    WriteSettingFlag(file, "Settings", "DspUnits", false);
    EXPECT_EQ(ReadText(file), "[Settings]\nSize32=-5\nDspUnits=0\n");
    EXPECT_EQ(ReadSettingNumber(file, "Settings", "Size32", 160), -5);
}

TEST_F(SettingsFile, ASaveCreatesAMissingConfigurationFolder)
{
    const std::string nested = dir.File("config/tessel/Minimaps.ini");
    SaveSettings(nested, TMinimapSettings{});
    EXPECT_EQ(ReadSettingNumber(nested, "Settings", "Size128", 0), 160);
}

TEST_F(SettingsFile, AnUnwritableLocationEndsTheSaveSilently)
{
    // A regular file where the folder should be: nothing can be created in
    // it, whatever the process's rights.
    WriteText(dir.File("blocker"), "not a folder");
    const std::string blocked = dir.File("blocker/Minimaps.ini");

    try {
        WriteSettingText(blocked, "Settings", "MainDat", "x");
        ADD_FAILURE() << "the write did not fail";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + blocked).c_str());
    }
    EXPECT_NO_THROW(SaveSettings(blocked, TMinimapSettings{}));
    EXPECT_NO_THROW(SaveLastDirectory(blocked, "/maps/a.pud"));
    EXPECT_EQ(ReadText(dir.File("blocker")), "not a folder");
}

TEST_F(SettingsFile, AFullDiskMidSaveKeepsTheEarlierKeysAndTheOldFileWhole)
{
    const std::string old = "; mine\n[Settings]\nSize32=1\nSize64=2\nMainDat=/old/MAINDAT.WAR\n";
    TMinimapSettings settings;
    settings.MainDat = "/new/MAINDAT.WAR";

    // Each write replaces the whole file: measure what the first two cost.
    TempDir reference;
    const std::string referenceFile = reference.File("Minimaps.ini");
    WriteText(referenceFile, old);
    WriteSettingNumber(referenceFile, "Settings", "Size32", 160);
    const auto afterOneKey = static_cast<int64_t>(ReadText(referenceFile).size());
    WriteSettingNumber(referenceFile, "Settings", "Size64", 160);
    const auto afterTwoKeys = static_cast<int64_t>(ReadText(referenceFile).size());

    WriteText(file, old);
    {
        test::ScopedWriteLimit fullDisk(10);
        SaveSettings(file, settings);
    }
    EXPECT_EQ(ReadText(file), old);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Minimaps.ini"});
    {
        test::ScopedWriteLimit fullDisk(afterOneKey + afterTwoKeys + 10);
        SaveSettings(file, settings);
    }
    EXPECT_EQ(ReadText(file), ReadText(referenceFile));
    EXPECT_EQ(ReadText(file), "; mine\n[Settings]\nSize32=160\nSize64=160\nMainDat=/old/MAINDAT.WAR\n");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Minimaps.ini"});
}

TEST(SettingsFileName, IsTheProgramNameWithIniInTheConfigurationFolder)
{
    EXPECT_EQ(SettingsFileName("/opt/tessel/bin/Minimaps", "/home/u/.config"), "/home/u/.config/Minimaps.ini");
    EXPECT_EQ(SettingsFileName("/opt/my.tools/my.tool.exe", "/cfg/"), "/cfg/my.tool.ini");
    EXPECT_EQ(SettingsFileName("tessel", ""), "tessel.ini");
}

TEST(UserConfigDirectory, HonoursAnAbsoluteXdgConfigHomeElseTheHomeFolder)
{
    EnvironmentVariable home("HOME", "/home/tester");
    {
        EnvironmentVariable configHome("XDG_CONFIG_HOME", "/var/cfg");
        EXPECT_EQ(UserConfigDirectory(), "/var/cfg");
    }
    {
        EnvironmentVariable configHome("XDG_CONFIG_HOME", "relative/cfg");
        EXPECT_EQ(UserConfigDirectory(), "/home/tester/.config");
    }
    EnvironmentVariable configHome("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserConfigDirectory(), "/home/tester/.config");
}

}  // namespace
}  // namespace tessel
