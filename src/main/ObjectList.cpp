#include "main/ObjectList.h"

#include "alarms/AlarmPeriod.h"
#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "project/Project.h"
#include "formats/Ini.h"
#include "formats/RichText.h"
#include "notes/StatusButtons.h"
#include "notes/StatusFile.h"
#include "platform/ColorRef.h"

#include <QDir>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>

namespace {

QString kindName(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Rectangle:
        return QStringLiteral("Rectangle");
    case ShapeKind::Square:
        return QStringLiteral("Square");
    case ShapeKind::RoundRect:
        return QStringLiteral("Rounded rectangle");
    case ShapeKind::RoundSquare:
        return QStringLiteral("Rounded square");
    case ShapeKind::Ellipse:
        return QStringLiteral("Ellipse");
    case ShapeKind::Circle:
        return QStringLiteral("Circle");
    }
    return {};
}

// A name read from a board file may be anything: only a plain folder name
// leads to a note, and never out of the project folder.
bool namesFolderInProject(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(u'\\');
}

// Every date and time of the list: ISO 8601, "2026-03-14T16:20:41".
QString isoDateTime(const QDate& date, const QTime& time)
{
    return date.toString(Qt::ISODate) + u'T' + time.toString(QStringLiteral("HH:mm:ss"));
}

// An alarm start in ISO 8601; a start the alarm list cannot read as it stands.
QString alarmStart(const QString& time)
{
    QDate date;
    QTime clock;
    return Alarm::readTime(time, &date, &clock) ? isoDateTime(date, clock) : time;
}

QString lastStamp(const QString& projectFolder, const QString& objectName, const QLocale& locale)
{
    const QString note = ProjectFiles::note(projectFolder, objectName);
    QTextDocument document;
    if (!namesFolderInProject(objectName) || !RichText::readFile(note, &document))
        return {};
    for (QTextBlock block = document.lastBlock(); block.isValid(); block = block.previous())
        if (const std::optional<QDateTime> when = StatusStampTimeInAnyForm(block.text(), locale))
            return isoDateTime(when->date(), when->time());
    return {};
}

} // namespace

QList<QStringList> objectListRows(const BoardModel& board, const QString& projectFolder,
                                  qsizetype alarmCount, const AlarmFile::RowSource& alarmAt,
                                  const QLocale& locale)
{
    QList<QStringList> rows{{QStringLiteral("Name"), QStringLiteral("Kind"), QStringLiteral("X"),
                             QStringLiteral("Y"), QStringLiteral("Colour"),
                             QStringLiteral("Status"), QStringLiteral("Last stamp"),
                             QStringLiteral("Alarm start"), QStringLiteral("Alarm period"),
                             QStringLiteral("Alarm on/off"), QStringLiteral("Alarm active")}};
    const QHash<quint32, QString> statuses = StatusFile::namesByColor(
        Ini::Document::load(ProjectFiles::inFolder(projectFolder, ProjectFiles::Statuses)));
    // The alarm fields of each object's name, the alarms in list order.
    struct AlarmFields {
        QStringList starts, periods, switches, actives;
    };
    QHash<QString, AlarmFields> alarmsByName;
    const QList<ObjectShape*> shapes = board.shapes();
    QStringList names;
    names.reserve(shapes.size());
    for (const ObjectShape* shape : shapes) {
        const ObjectLabel* label = board.labelOf(shape);
        names.append(label ? label->caption() : QString());
        alarmsByName.insert(names.back(), {});
    }
    for (qsizetype i = 0; i < alarmCount; ++i) {
        const AlarmRow alarm = alarmAt(i);
        const auto fields = alarmsByName.find(alarm.name);
        if (fields == alarmsByName.end())
            continue;
        fields->starts.append(alarmStart(alarm.time));
        fields->periods.append(alarm.duration + u' ' + alarm.unit);
        fields->switches.append(alarm.enabled ? QStringLiteral("on") : QStringLiteral("off"));
        fields->actives.append(alarm.active);
    }
    const QChar line = u'\n';
    for (qsizetype i = 0; i < shapes.size(); ++i) {
        const ObjectShape* shape = shapes[i];
        const QString& name = names[i];
        const AlarmFields& alarms = *alarmsByName.constFind(name);
        rows.append({name, kindName(shape->shapeKind()), QString::number(shape->x()),
                     QString::number(shape->y()),
                     ColorRef::toQColor(shape->brushColor()).name().toUpper(),
                     statuses.value(shape->brushColor()), lastStamp(projectFolder, name, locale),
                     alarms.starts.join(line), alarms.periods.join(line),
                     alarms.switches.join(line), alarms.actives.join(line)});
    }
    return rows;
}
