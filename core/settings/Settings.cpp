#include "settings/Settings.h"

#include "base/Exceptions.h"
#include "settings/IniFile.h"
#include "system/UserFolders.h"
#include "text/IntegerText.h"
#include "text/PathPieces.h"
#include "text/PathText.h"

#include <array>
#include <exception>
#include <filesystem>

namespace tessel {

namespace {

constexpr const char* SettingsSection = "Settings";
constexpr const char* LastSection = "Last";
constexpr std::array<const char*, 4> SizeKeys{"Size32", "Size64", "Size96", "Size128"};

}  // namespace

std::string SettingsFileName(const std::string& programFilePath, const std::string& configDirectory)
{
    return JoinPath(configDirectory, ReplaceExtension(FileNamePart(programFilePath), ".ini"));
}

std::string DesktopSettingsFile()
{
    const std::string folder = UserConfigDirectory();
    return folder.empty() ? std::string() : SettingsFileName("tessel", folder);
}

std::string ReadSettingText(const std::string& settingsFile, const std::string& section, const std::string& key,
                            const std::string& defaultText)
{
    return ReadIniString(settingsFile, section, key, defaultText);
}

int32_t ReadSettingNumber(const std::string& settingsFile, const std::string& section, const std::string& key,
                          int32_t defaultValue)
{
    std::string text = ReadSettingText(settingsFile, section, key, std::string());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    return ParseIntegerText(text).value_or(defaultValue);
}

bool ReadSettingFlag(const std::string& settingsFile, const std::string& section, const std::string& key,
                     bool defaultValue)
{
    return ReadSettingNumber(settingsFile, section, key, defaultValue ? 1 : 0) != 0;
}

void WriteSettingText(const std::string& settingsFile, const std::string& section, const std::string& key,
                      const std::string& text)
{
    try {
        // On a fresh machine even ~/.config may be missing; a failure here
        // shows up as a failed write just below.
        if (const std::string folder = DirectoryPart(settingsFile); !folder.empty()) {
            std::error_code ignored;
            std::filesystem::create_directories(PathOfText(folder), ignored);
        }
        WriteIniString(settingsFile, section, key, text);
    } catch (const std::exception&) {
        throw Exception("Unable to write to " + settingsFile);
    }
}

void WriteSettingNumber(const std::string& settingsFile, const std::string& section, const std::string& key,
                        int32_t value)
{
    WriteSettingText(settingsFile, section, key, std::to_string(value));
}

void WriteSettingFlag(const std::string& settingsFile, const std::string& section, const std::string& key,
                      bool flag)
{
    WriteSettingText(settingsFile, section, key, flag ? "1" : "0");
}

std::string LoadSettings(const std::string& settingsFile, TMinimapSettings& settings)
{
    std::string lastDirectory;
    try {
        for (int index = 1; index <= 4; ++index) {
            settings.ImageSize(index) =
                ReadSettingNumber(settingsFile, SettingsSection, SizeKeys[index - 1], settings.ImageSize(index));
        }
        settings.DspUnits = ReadSettingFlag(settingsFile, SettingsSection, "DspUnits", settings.DspUnits);
        settings.MainDat = ReadSettingText(settingsFile, SettingsSection, "MainDat", settings.MainDat);
        lastDirectory = ReadSettingText(settingsFile, LastSection, "PUDDir", std::string());
    } catch (const std::exception&) {
        // Settings never report failures; what was read so far stands.
    }
    return lastDirectory;
}

void SaveSettings(const std::string& settingsFile, const TMinimapSettings& settings)
{
    try {
        for (int index = 1; index <= 4; ++index)
            WriteSettingNumber(settingsFile, SettingsSection, SizeKeys[index - 1], settings.ImageSize(index));
        WriteSettingFlag(settingsFile, SettingsSection, "DspUnits", settings.DspUnits);
        WriteSettingText(settingsFile, SettingsSection, "MainDat", settings.MainDat);
    } catch (const std::exception&) {
        // The first failed write ends the save; the keys before it stay written.
    }
}

void SaveLastDirectory(const std::string& settingsFile, const std::string& fileName)
{
    if (fileName.empty())
        return;
    try {
        WriteSettingText(settingsFile, LastSection, "PUDDir", DirectoryPart(fileName));
    } catch (const std::exception&) {
        // Discarded like every settings failure.
    }
}

}  // namespace tessel
