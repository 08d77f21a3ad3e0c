#include "formats/CsvFile.h"

#include <QDir>
#include <QSaveFile>

namespace CsvFile {

namespace {

QString field(const QString& text)
{
    const bool quoted = text.contains(u',') || text.contains(u'"') || text.contains(u'\r') ||
                        text.contains(u'\n') || text.startsWith(u' ') || text.endsWith(u' ');
    if (!quoted)
        return text;
    QString doubled = text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

} // namespace

QByteArray toBytes(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QString& value : row)
            fields.append(field(value));
        text += fields.join(u',') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool save(const QString& path, const QList<QStringList>& rows, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(toBytes(rows)) >= 0 && file.commit())
        return true;
    *error = QStringLiteral("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

} // namespace CsvFile
