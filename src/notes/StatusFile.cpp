#include "notes/StatusFile.h"

#include "formats/CodePage.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <limits>

namespace StatusFile {
namespace {

const QString CountSection = QStringLiteral("SpeedButton Count");
const QString SectionPrefix = QStringLiteral("SpeedButton");

// Key names go to the settings layer with a leading blank, as they always
// did; the layer matches and writes them without it.
const QString TagKey = QStringLiteral(" Tag");
const QString CaptionKey = QStringLiteral(" Caption");
const QString WidthKey = QStringLiteral(" Width");
const QString HeightKey = QStringLiteral(" Height");
const QString TopKey = QStringLiteral(" Top");
const QString LeftKey = QStringLiteral(" Left");
const QString ColorKey = QStringLiteral(" Color");

// Sizes and places a button can take; other numbers are damage.
constexpr int MaxExtent = 32767;
constexpr int MinPosition = -32768;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The number k of a section header "[SpeedButton<k>]" (names compared as the
// settings layer does: ASCII letter case and surrounding blanks ignored), or 0.
int sectionNumber(QByteArrayView line)
{
    qsizetype first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first >= line.size() || line[first] != '[')
        return 0;
    const qsizetype close = line.lastIndexOf(']');
    if (close <= first)
        return 0;
    QByteArrayView name = line.sliced(first + 1, close - first - 1);
    while (!name.isEmpty() && isBlank(name.front()))
        name = name.sliced(1);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    const QByteArrayView prefix("speedbutton");
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 10)
        return 0;
    if (name.first(prefix.size()).toByteArray().toLower() != prefix)
        return 0;
    const QByteArrayView digits = name.sliced(prefix.size());
    if (digits.front() == '0')
        return 0; // "SpeedButton01" is not the name of button 1
    qint64 k = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        k = k * 10 + (c - '0');
    }
    return k <= std::numeric_limits<int>::max() ? int(k) : 0;
}

// Each section "SpeedButton<k>" with 1 <= k <= count, first occurrence of each
// name only, as its own small document: looking keys up in it does not cost a
// pass over the whole file.
QList<std::pair<int, Ini::Document>> buttonSections(const QByteArray& bytes, int count)
{
    QList<std::pair<int, Ini::Document>> sections;
    QSet<int> seen;
    const int codePage = CodePage::ofTextFile(bytes);
    int open = 0; // number of the section being collected, 0 for none
    qsizetype openStart = 0;
    const auto finish = [&](qsizetype end) {
        if (open > 0)
            sections.append(
                {open, Ini::Document::fromBytes(
                           QByteArrayView(bytes).sliced(openStart, end - openStart), codePage)});
        open = 0;
    };
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, end - start);
        const qsizetype first = line.indexOf('[');
        if (first >= 0 && std::all_of(line.begin(), line.begin() + first, isBlank) &&
            line.lastIndexOf(']') > first) {
            finish(start);
            const int k = sectionNumber(line);
            if (k >= 1 && k <= count && seen.size() < MaxButtons && !seen.contains(k)) {
                seen.insert(k);
                open = k;
                openStart = start;
            }
        }
        if (end >= bytes.size())
            break;
        start = end + 1;
    }
    finish(bytes.size());
    std::sort(sections.begin(), sections.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return sections;
}

std::optional<int> integerIn(const Ini::Document& doc, const QString& section, const QString& key,
                             int low, int high)
{
    if (!doc.hasKey(section, key))
        return std::nullopt;
    const std::optional<int> value = toInteger(doc.readString(section, key, QString()));
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> toInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 value = 0;
    if (t.startsWith(u'$') || t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(t.startsWith(u'$') ? 1 : 2);
        if (digits.isEmpty() || digits.startsWith(u'+') || digits.startsWith(u'-'))
            return std::nullopt;
        value = digits.toLongLong(&ok, 16);
    } else {
        value = t.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return int(
        qint32(quint32(value))); // above 0x7FFFFFFF wraps, as a colour written unsigned reads back
}

QList<Section> read(const Ini::Document& file)
{
    QList<Section> result;
    const std::optional<int> count =
        toInteger(file.readString(QStringLiteral("Speedbutton Count"),
                                  QStringLiteral("Speedbutton Count"), QStringLiteral("0")));
    if (!count || *count <= 0)
        return result;
    for (const auto& [k, doc] : buttonSections(file.toBytes(), *count)) {
        const QString name = SectionPrefix + QString::number(k);
        if (!doc.hasSection(name))
            continue;
        Section section;
        section.tag = integerIn(doc, name, TagKey, std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max())
                          .value_or(0);
        if (doc.hasKey(name, CaptionKey))
            section.caption = doc.readString(name, CaptionKey, QString());
        section.width = integerIn(doc, name, WidthKey, 0, MaxExtent);
        section.height = integerIn(doc, name, HeightKey, 0, MaxExtent);
        section.top = integerIn(doc, name, TopKey, MinPosition, MaxExtent);
        section.left = integerIn(doc, name, LeftKey, MinPosition, MaxExtent);
        if (const std::optional<int> color =
                integerIn(doc, name, ColorKey, std::numeric_limits<int>::min(),
                          std::numeric_limits<int>::max()))
            section.color = quint32(*color);
        result.append(section);
    }
    return result;
}

bool write(const QList<Button>& buttons, Ini::Document* file, QString* error)
{
    Ini::Document doc;
    int k = 0;
    for (const Button& button : buttons) {
        if (button.caption.isEmpty())
            continue;
        ++k;
        const QString name = SectionPrefix + QString::number(k);
        const std::pair<const QString&, QString> entries[] = {
            {TagKey, QString::number(button.tag)},
            {CaptionKey, button.caption},
            {WidthKey, QString::number(button.width)},
            {HeightKey, QString::number(button.height)},
            {TopKey, QString::number(button.top)},
            {LeftKey, QString::number(button.left)},
            // Signed, as the Windows version wrote colours.
            {ColorKey, QString::number(qint32(button.color))},
        };
        if (!doc.writeString(CountSection, CountSection, QString::number(k), error))
            return false;
        for (const auto& [key, value] : entries) {
            if (!doc.writeString(name, key, value, error))
                return false;
        }
    }
    *file = std::move(doc);
    return true;
}

QHash<quint32, QString> namesByColor(const Ini::Document& file)
{
    QHash<quint32, QString> names;
    for (const Section& status : read(file))
        if (status.color && status.caption && !names.contains(*status.color))
            names.insert(*status.color, *status.caption);
    return names;
}

QString ColorNames::nameOf(const QString& path, quint32 colorRef)
{
    const QFileInfo file(path);
    const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
    const qint64 size = file.exists() ? file.size() : -1;
    if (path != m_path || modified != m_modified || size != m_size) {
        m_path = path;
        m_modified = modified;
        m_size = size;
        m_names =
            path.isEmpty() ? QHash<quint32, QString>() : namesByColor(Ini::Document::load(path));
    }
    return m_names.value(colorRef);
}

} // namespace StatusFile
