#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Windows-1252, the 8-bit character set of every file the program reads or
// writes byte for byte as the Windows version did.
namespace CodePage {

// Converts text to Windows-1252. A character the code page cannot hold becomes
// one '?' (a surrogate pair, i.e. one character outside the BMP, gives one '?')
// and *lossless is set to false; otherwise *lossless is set to true.
QByteArray toWindows1252(const QString& text, bool* lossless = nullptr);

// Converts Windows-1252 bytes to text. Every byte maps to exactly one character;
// the five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the control characters of the same value, as Windows does.
QString fromWindows1252(QByteArrayView bytes);

} // namespace CodePage
