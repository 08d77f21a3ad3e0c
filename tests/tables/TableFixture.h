#pragma once

#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"
#include "support/Files.h"
#include "tables/ObjectTableU.h"
#include "tables/StringGrid.h"
#include "tables/TableFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// A project folder with a fake main window; every table window made in a
// test is deleted after it.
class TableFixture : public ::testing::Test {
public:
    TableFixture() { host.setProjectFolder(QDir::toNativeSeparators(projectDir.path())); }
    ~TableFixture() override { TObjectTable::destroyAll(); }

    QString projectFile(const QString& name) const
    {
        return host.project().folder() + QDir::separator() + name;
    }

    // Names object N and makes its folder, as New Object does.
    QString addObject(int n, const QString& name)
    {
        host.addObject(n, name);
        EXPECT_TRUE(QDir(projectDir.path()).mkpath(name));
        return ProjectFiles::table(host.project().folder(), name);
    }

    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static QByteArray fixture(const char* name)
    {
        return readAll(QStringLiteral(VEXORIN_FIXTURES "/tables/") + QLatin1String(name));
    }

    static QStringList texts(const StringGrid* grid)
    {
        QStringList out;
        for (const QStringList& column : grid->columns())
            out.append(column.join(QLatin1Char('|')));
        return out;
    }

    // Presses a mouse button on a cell of the grid, as the user does.
    static void press(TObjectTable* table, int col, int row,
                      Qt::MouseButton button = Qt::LeftButton)
    {
        StringGrid* grid = table->StringGrid1;
        const QRect cell = grid->cellRect(col, row);
        QTest::mousePress(grid->viewport(), button, Qt::NoModifier, cell.center());
        QTest::mouseRelease(grid->viewport(), button, Qt::NoModifier, cell.center());
    }

    // The size of the client area, once the window has laid itself out.
    static QSize clientSize(TObjectTable* table)
    {
        QApplication::processEvents();
        return table->centralWidget()->size();
    }

    FakePlatform fake;
    QTemporaryDir projectDir;
    FakeBoardHost host;
};
