// The settings file: MinimapSettings and the last scenario directory kept in
// an INI file between runs. Loads and saves discard their failures silently.
// Every operation names the settings file it works on, so that tests and the
// command-line renderer can point it anywhere.
#pragma once

#include "minimap/MinimapSettings.h"

#include <cstdint>
#include <string>

namespace tessel {

// The settings file of a program: its file name with the extension
// replaced by ".ini", in configDirectory.
std::string SettingsFileName(const std::string& programFilePath, const std::string& configDirectory);

// The settings file of the desktop program "tessel", which tessel-cli and
// tessel-thumbnailer read too, in the user's configuration folder
// (system/UserFolders.h); empty when the user has none.
std::string DesktopSettingsFile();

// A value text as stored, cut to 1023 characters; defaultText when the file,
// section or key is missing.
std::string ReadSettingText(const std::string& settingsFile, const std::string& section, const std::string& key,
                            const std::string& defaultText);
// The value by the integer text rule ("0x"/"0X" read as "$"); defaultValue
// when it is missing or not a number.
int32_t ReadSettingNumber(const std::string& settingsFile, const std::string& section, const std::string& key,
                          int32_t defaultValue);
bool ReadSettingFlag(const std::string& settingsFile, const std::string& section, const std::string& key,
                     bool defaultValue);

// Writes one key; raises Exception "Unable to write to <file>" on failure.
void WriteSettingText(const std::string& settingsFile, const std::string& section, const std::string& key,
                      const std::string& text);
void WriteSettingNumber(const std::string& settingsFile, const std::string& section, const std::string& key,
                        int32_t value);
void WriteSettingFlag(const std::string& settingsFile, const std::string& section, const std::string& key,
                      bool flag);

// Fills settings, each value defaulting to its current one; returns the
// stored last scenario directory (empty when none).
std::string LoadSettings(const std::string& settingsFile, TMinimapSettings& settings);
// Writes the six keys of [Settings]; stops silently at the first failure.
void SaveSettings(const std::string& settingsFile, const TMinimapSettings& settings);
// Stores the directory part of fileName as [Last] PUDDir; an empty
// fileName writes nothing.
void SaveLastDirectory(const std::string& settingsFile, const std::string& fileName);

}  // namespace tessel
