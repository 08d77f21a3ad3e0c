#include "formats/KeepAside.h"

#include "formats/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Files are compared and copied a piece at a time: a damaged file may be huge.
constexpr qint64 PieceSize = 1 << 20;

QString copyName(const QString& path, int n)
{
    return path + (n == 1 ? QStringLiteral(".damaged") : QStringLiteral(".damaged%1").arg(n));
}

bool isTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool holdsSameBytes(QFile& original, const QString& path)
{
    QFile other(path);
    if (!QFileInfo(path).isFile() || other.size() != original.size() ||
        !other.open(QIODevice::ReadOnly) || !original.seek(0))
        return false;
    while (!original.atEnd()) {
        const QByteArray piece = original.read(PieceSize);
        if (piece.isEmpty() || other.read(PieceSize) != piece)
            return false;
    }
    return true;
}

} // namespace

QString keepAside(const QString& path, QString* error)
{
    QFile file(path);
    const auto unreadable = [&] {
        *error = QStringLiteral("%1 cannot be read: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return QString();
    };
    if (!file.open(QIODevice::ReadOnly))
        return unreadable();
    int n = 1;
    for (; isTaken(copyName(path, n)); ++n) {
        if (holdsSameBytes(file, copyName(path, n)))
            return copyName(path, n);
    }

    const QString copy = copyName(path, n);
    QSaveFile out(copy);
    bool copied = out.open(QIODevice::WriteOnly) && file.seek(0);
    // A piece of zeros is stepped over rather than written: a file filled
    // with zeros (as a crash may leave one) or a sparse one then costs the
    // copy no disk where the file system keeps holes. The resize at the end
    // gives the copy the zeros it stepped over last.
    while (copied && !file.atEnd()) {
        const QByteArray piece = file.read(PieceSize);
        const bool zeros = std::all_of(piece.cbegin(), piece.cend(), [](char c) { return c == 0; });
        copied = !piece.isEmpty() &&
                 (zeros ? out.seek(out.pos() + piece.size()) : out.write(piece) == piece.size());
    }
    copied = copied && out.resize(file.size());
    if (copied && commitWhole(out))
        return copy;
    if (file.error() != QFileDevice::NoError)
        return unreadable();
    *error = QStringLiteral("%1 cannot be written: %2")
                 .arg(QDir::toNativeSeparators(copy), out.errorString());
    return {};
}

QString keptAsideNote(const QString& copy, const QString& error)
{
    if (!copy.isEmpty())
        return QStringLiteral("A copy of the file is kept as %1.")
            .arg(QDir::toNativeSeparators(copy));
    return QStringLiteral("No copy of the file could be kept: %1").arg(error);
}
