#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

// Whole files as bytes, for tests that check what the program wrote.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A plain blue bitmap file, as a background picture.
inline void saveBitmap(const QString& path, int width = 8, int height = 6)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(path, "BMP"));
}

// Copies a folder tree; the sample must be opened from a copy, as a user would.
inline void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(source, target);
    }
}

// Puts the file's modification time well in the past, so that a rewrite shows.
inline void age(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                                 QFileDevice::FileModificationTime));
}

inline QDateTime modified(const QString& path)
{
    return QFileInfo(path).lastModified();
}
