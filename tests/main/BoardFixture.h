#pragma once

#include "board/Board.h"
#include "main/Body.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "support/BoardFiles.h"
#include "support/FakePlatform.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// A main window on the platform doubles with an open project in a
// temporary folder.
class BoardFixture : public ::testing::Test {
protected:
    BoardFixture()
    {
        form = std::make_unique<TForm1>(fake.platform);
        form->Timer1->stop();
    }

    void openProject(const QString& formName = QStringLiteral("Work"))
    {
        form->project().open(QDir::toNativeSeparators(projectDir.path()), formName);
    }

    QString projectFile(const QString& name) const { return projectDir.filePath(name); }

    // Places a named object the way New Object leaves it.
    ObjectShape* addObject(int n, const QString& name)
    {
        return ::addObject(form->boardModel(), n, name);
    }

    FakePlatform fake;
    QTemporaryDir projectDir;
    std::unique_ptr<TForm1> form;
};
