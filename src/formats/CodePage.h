#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The system's 8-bit code page: the ANSI code page Windows picks for the
// user's language, in which every file the program shares with the Windows
// version is written byte for byte as that version wrote it. Conversions go
// through glibc's iconv; the multi-byte code pages 932, 936, 949 and 950 work
// like the single-byte ones.
//
// Bytes a code page does not assign still come back unchanged: in a
// single-byte code page the bytes 0x80-0x9F read as the control characters of
// the same value (as Windows reads them), any other such byte as one character
// of U+DC80-U+DCFF, and both are written back as the byte they came from.
namespace CodePage {

// Windows' number for UTF-8, used for UTF-8 text files and RTF's \ansicpg.
inline constexpr int Utf8 = 65001;

// The code page chosen at start-up (1252 until then).
int system();
// Sets the system code page; false, leaving it as it was, for a number the
// converter does not know.
bool setSystem(int codePage);
// Whether the number is one the system code page can be: 874, 932, 936,
// 949, 950, 1250-1258 or UTF-8.
bool isSupported(int codePage);
// Whether the converter knows the code page at all (RTF names many more).
bool isKnown(int codePage);

// The ANSI code page Windows uses for a locale name such as "ru_RU.UTF-8",
// "sr_RS@latin" or "zh_TW": 1252 for every language without one of its own.
int forLocale(QStringView localeName);

// The locale name the user set: the first non-empty of LC_ALL, LC_CTYPE, LANG.
QString localeFromEnvironment();

// The code page for the program's command line: the number after
// "--codepage" (or in "--codepage=N") when there is one, else the one for the
// user's locale. A number the converter does not know is left aside with a
// message in *problem.
int forProgram(const QStringList& arguments, QString* problem = nullptr);

// Converts text to the code page; nothing when it holds a character the code
// page cannot keep (one that would come back as another).
std::optional<QByteArray> encode(QStringView text, int codePage = system());

// The same, but nothing either for a character that only stands for a byte
// the code page does not assign: for a format that can spell such a character
// otherwise, as RTF does with \uN.
std::optional<QByteArray> encodeDefined(QStringView text, int codePage);

// Converts bytes of the code page to text; never fails.
QString decode(QByteArrayView bytes, int codePage = system());

// ---- text files (settings files, table files, the alarm file) ----

// The code page a text file is in: UTF-8 for valid UTF-8 with at least one
// multi-byte sequence, else the system code page.
int ofTextFile(QByteArrayView bytes);

// The bytes of a whole text file: in the system code page when that holds
// every character and the bytes cannot be taken for UTF-8, else in UTF-8.
// *complete is false when not even UTF-8 holds the text (damaged text).
QByteArray encodeTextFile(QStringView text, bool* complete = nullptr);

// The text of a whole text file, in the code page ofTextFile() picks.
QString decodeTextFile(QByteArrayView bytes);

} // namespace CodePage
