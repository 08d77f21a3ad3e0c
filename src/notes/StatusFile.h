#pragma once

#include "formats/Ini.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// The status file "youriniSB.ini" of a project: the status buttons of the note
// window, one section each, counted in section "SpeedButton Count".
namespace StatusFile {

// More statuses than anyone keeps; a file describing more is not read past
// this many, so that a damaged file cannot flood the window with buttons.
constexpr int MaxButtons = 1000;

// One section as read. A key that is missing or holds no usable value is
// unset: the button keeps its present value for it.
struct Section {
    int tag = 0;
    std::optional<QString> caption;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> top;
    std::optional<int> left;
    std::optional<quint32> color; // 0x00BBGGRR
};

// One button as written.
struct Button {
    int tag = 0;
    QString caption;
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
    quint32 color = 0;
};

// The sections "SpeedButton1" ... "SpeedButtonN" that exist, in that order,
// N being the count the file holds (0 when missing or not an integer).
QList<Section> read(const Ini::Document& file);

// The whole file for these buttons, in their order; buttons with an empty
// caption are left out. No buttons give an empty document. Returns false and
// sets *error when a caption cannot be stored.
bool write(const QList<Button>& buttons, Ini::Document* file, QString* error = nullptr);

// An integer as the Windows version read one: decimal with an optional sign,
// or hexadecimal after "$" or "0x"; anything else, or a value outside 32 bits,
// is no integer.
std::optional<int> toInteger(const QString& text);

// The status names by colour (0x00BBGGRR); the first status of a colour names it.
QHash<quint32, QString> namesByColor(const Ini::Document& file);

// The name of the status a colour stands for in a status file, read again
// only when the file changed; empty when no status has the colour.
class ColorNames {
public:
    QString nameOf(const QString& path, quint32 colorRef);

private:
    QString m_path;
    QDateTime m_modified;
    qint64 m_size = -1;
    QHash<quint32, QString> m_names;
};

} // namespace StatusFile
