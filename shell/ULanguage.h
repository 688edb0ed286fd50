#pragma once
// The user-interface text table: 5300 texts addressed by number. Built-in English first, then the
// chosen language file replaces entries 0 to g_LngIndexLimit - 1.
#include <QString>
#include <QStringList>

inline constexpr int kTextTableSize = 5300;
inline constexpr int g_LngIndexLimit = 5100;

// Entry n is the text of number n once a language has been loaded.
inline QStringList Text_Table;

// Fills the table with the built-in English texts (every unlisted entry is a single blank).
void Load_Default_Language();
// Applies the language file's lines over the table; false when the file cannot be read.
bool Load_Language_File(const QString& path);
// Rebuilds the table: built-in English, then the file of g_LanguageName in g_LanguagePath, falling
// back to "English.lng" (and the name "English") when that file is missing.
void Load_Language();
