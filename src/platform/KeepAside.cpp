#include "platform/KeepAside.h"

#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString copyName(const QString& path, int n)
{
    return path + (n == 1 ? QStringLiteral(".damaged") : QStringLiteral(".damaged%1").arg(n));
}

bool holdsBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.size() != bytes.size() || !file.open(QIODevice::ReadOnly))
        return false;
    return file.readAll() == bytes;
}

} // namespace

QString keepAside(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1 cannot be read: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return {};
    }
    file.close();

    int n = 1;
    for (; QFileInfo(copyName(path, n)).exists() || QFileInfo(copyName(path, n)).isSymLink(); ++n) {
        if (holdsBytes(copyName(path, n), bytes))
            return copyName(path, n);
    }
    const QString copy = copyName(path, n);
    QSaveFile out(copy);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !commitWhole(out)) {
        *error = QStringLiteral("%1 cannot be written: %2")
                     .arg(QDir::toNativeSeparators(copy), out.errorString());
        return {};
    }
    return copy;
}

QString keptAsideNote(const QString& copy, const QString& error)
{
    if (!copy.isEmpty())
        return QStringLiteral("A copy of the file is kept as %1.").arg(QDir::toNativeSeparators(copy));
    return QStringLiteral("No copy of the file could be kept: %1").arg(error);
}
