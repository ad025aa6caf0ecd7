#pragma once
// Settings.ini in the per-user folder. Our own small reader and writer: a
// write replaces or adds one key line and keeps every other byte as it was.

#include <QString>

namespace tolvane {

QString SettingsFilePath();

// The key's value, "ERROR" when the file, section or key is missing.
// Section and key names match without regard to case. A file that cannot be
// read (also anything but a regular file, or one over 1 MiB) counts as
// missing, with an error line.
QString GetINIValue(const QString& section, const QString& key);
// Writes the key, adding the section and key when missing; makes the file
// but not its folder. True when the file was written; a file that cannot be
// read is left as it is (false, with an error line).
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
