#include "project/BoardSize.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The board size a settings file holds is "<width>x<height>" in one to five
// digits each; any other value, as a damaged or hand-edited file may hold,
// reads as no size, and the board is then fitted to the window.
TEST(BoardSizeTest, OnlyTwoNumbersOfUpToFiveDigitsReadAsASize)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("iniformsettings.ini"));
    const auto sizeOf = [&file](const QByteArray& value) {
        QFile settings(file);
        EXPECT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Form1]\r\nboardsize=" + value + "\r\n");
        settings.close();
        return BoardSize::read(file);
    };
    EXPECT_EQ(sizeOf("1818x936"), QSize(1818, 936));
    EXPECT_EQ(sizeOf("32767x1"), QSize(32767, 1));
    for (const QByteArray& damaged :
         {QByteArray("x936"), QByteArray("1818x"), QByteArray("1818"), QByteArray("1818x936x2"),
          QByteArray("123456x10"), QByteArray("-5x10"), QByteArray("0x10"), QByteArray("40000x10"),
          QByteArray("18 18x936"), QByteArray("1818X936"), QByteArray("\xd9\xa3x10")})
        EXPECT_EQ(sizeOf(damaged), QSize()) << damaged.toStdString();
}
