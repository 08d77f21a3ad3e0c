#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Windows profile (INI) files, read and written with the rules of the Windows
// version's GetPrivateProfileStringA / WritePrivateProfileStringA, so that
// settings files move between the two versions unchanged:
//
// - Section and key names match ignoring ASCII letter case and the blanks
//   (spaces, tabs) around them; names are written without those blanks.
// - A value is read with its surrounding blanks removed and then one pair of
//   matching surrounding quotes (" or ') removed. Values are written as given.
// - Lines end with CR LF, LF or CR; the last line may have no line end.
// - Lines before the first section, comment lines (';') and lines without '='
//   are never keys; all of them are kept byte for byte when the file is rewritten.
// - Files are in the system code page, or wholly in UTF-8 when they hold text
//   the code page cannot (see CodePage); every line written ends with CR LF.
// - The first section of a name is the one read and written.
namespace Ini {

// One settings file in memory. Parsing never fails: damaged input simply holds
// fewer sections and keys. Bytes not touched by a write come out unchanged.
class Document {
public:
    Document() = default;

    // The file's bytes, in the code page CodePage::ofTextFile() finds for them
    // or in the one given.
    static Document fromBytes(QByteArrayView bytes);
    static Document fromBytes(QByteArrayView bytes, int codePage);

    // Reads filePath. A missing file gives an empty document with *ok = true.
    // A file that exists but cannot be read (or is not a plain file) gives an
    // empty document, *ok = false and *error naming the path.
    static Document load(const QString& filePath, bool* ok = nullptr, QString* error = nullptr);

    // Value of [section] key, or defaultValue without its trailing blanks (as
    // Windows returns it) when the section or key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Sets one key: an existing key line keeps its place and its name as stored
    // and gets the new value; a new key goes after the last key line of its
    // section; a new section goes at the end of the file. Returns false and sets
    // *error for names or values the file format cannot hold (empty names, line
    // breaks, '=' in a key name, a key name starting with '[' or ';').
    // Text ends at a NUL character, as it did for the Windows calls.
    bool writeString(const QString& section, const QString& key, const QString& value,
                     QString* error = nullptr);

    // Removes every section of this name: its header and all lines up to the
    // next section header. Returns whether anything was removed.
    bool eraseSection(const QString& section);

    // The whole file; *complete is false when it holds damaged text that no
    // encoding can store.
    QByteArray toBytes(bool* complete = nullptr) const;

    // Writes the whole file through QSaveFile: the file is replaced completely or
    // left as it was. Returns false and sets *error (naming the path) on failure.
    bool save(const QString& filePath, QString* error = nullptr) const;

private:
    enum class Kind { Other, Section, Key };
    enum class Ending { None, CrLf, Lf, Cr };

    struct Line {
        QString text; // the line's text, without the line end
        Ending ending = Ending::CrLf;
        Kind kind = Kind::Other;
        QString name;          // section or key name, blanks removed
        qsizetype equals = -1; // index of '=' in text for a key line
    };

    static Line makeLine(QString text, Ending ending);
    qsizetype findSection(const QString& name) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString& key) const;

    std::vector<Line> m_lines;
};

// Value of [section] key in filePath, or defaultValue (without trailing blanks)
// when the file, section or key is missing or the file cannot be read.
QString readString(const QString& filePath, const QString& section, const QString& key,
                   const QString& defaultValue);

// Writes one key in place, creating the file and the section as needed and
// leaving every other line alone. Returns false and sets *error on failure; a
// file that exists but cannot be read is not overwritten.
bool writeString(const QString& filePath, const QString& section, const QString& key,
                 const QString& value, QString* error = nullptr);

// Removes the whole section (header and its keys). A missing file or section is
// success and leaves the file untouched.
bool eraseSection(const QString& filePath, const QString& section, QString* error = nullptr);

} // namespace Ini
