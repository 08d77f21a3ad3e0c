#pragma once

#include <QSize>
#include <QString>

// The board's size in board pixels, kept in the project's form settings
// ("iniformsettings.ini", [Form1] "boardsize", for example 1818x936), so that
// the background is stretched over the same board on any screen. Earlier
// versions neither write nor read the key.
namespace BoardSize {

// The size stored in the settings file; an empty size when the file, the key
// or a sensible value is missing.
QSize read(const QString& settingsFile);
// Writes the key in place, leaving every other line of the file alone.
bool write(const QString& settingsFile, const QSize& size, QString* error);

// A board larger than this each way is taken for a damaged value.
constexpr int Largest = 32767;

} // namespace BoardSize
