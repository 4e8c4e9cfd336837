#pragma once

#include <optional>
#include <QString>

namespace ortolan {

// The program's system services: the data folder, the settings file and the log.
//
// The data folder is the desktop's data location for the user followed by "/Ortolan"
// ($XDG_DATA_HOME/Ortolan, normally ~/.local/share/Ortolan). The settings file is otl.ini in
// it, one section "MAIN" of text values; the log is log.txt beside it.

// The data folder, without a trailing separator.
QString getDataFolder();

// Points the settings functions at otl.ini in the data folder. Called early in start-up,
// before any setting is read.
void initSettingsFile();
QString settingsFile();

// The value of key in section of the profile file; file ",,INI,," stands for the settings file.
QString readProfileString(const QString& section, const QString& key, const QString& file);

// A setting's value, "" when it is missing.
QString readSetting(const QString& key);

// Stores a setting at once, replacing its earlier value; booleans are stored as "True" and
// "False". Returns false when the settings file could not be written (callers may ignore it).
bool writeSetting(const QString& key, const QString& value);
bool writeSetting(const QString& key, const char* value);
bool writeSetting(const QString& key, bool value);

// A setting's text as a truth value: "True" or "False" in any letter case, or a number (zero is
// false, any other number true). nullopt for anything else, the empty text included.
std::optional<bool> booleanFromText(const QString& text);

// Appends "MM-DD-YYYY, HH:MM:SS: message" to log.txt. False when the log could not be written.
bool writeLog(const QString& message);

} // namespace ortolan
