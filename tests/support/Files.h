#pragma once

#include <QByteArray>
#include <QFile>
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
