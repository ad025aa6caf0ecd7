#pragma once
// Settings.ini in the per-user folder. Our own small reader and writer: a
// write replaces or adds one key line and keeps every other byte as it was.

#include <QString>

namespace tolvane {

QString SettingsFilePath();

// The key's value, "ERROR" when the file, section or key is missing.
// Section and key names match without regard to case.
QString GetINIValue(const QString& section, const QString& key);
// Writes the key, adding the section and key when missing; makes the file
// but not its folder. True when the file was written.
bool SetINIValue(const QString& section, const QString& key, const QString& value);
// Makes the file with its first content when it is missing.
void ExistIniFile();
// Writes the first content, replacing any file of that name.
void CreateIniFile();
// SkinName = FORM_SKIN of section Design.
void ReadIniFile();

// The look chosen in the settings, as the reader returned it.
QString& SkinName();

}  // namespace tolvane
