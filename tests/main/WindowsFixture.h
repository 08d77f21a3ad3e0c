#pragma once

#include "ProgramFixture.h"

#include "alarms/fAddEditAlarmUnit.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "board/LabelOffset.h"
#include "support/BoardInput.h"
#include "notes/Obiect.h"
#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "tables/ObjectTableU.h"
#include "tables/StringGrid.h"

#include <QDirIterator>
#include <QMap>
#include <QTest>
#include <functional>

// Every file under a folder, by its path relative to the folder; not the
// presence files of the copies that have it open, which come and go with them.
inline QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().startsWith(QLatin1String(".vexorin-open-")))
            continue;
        QFile file(path);
        files.insert(QDir(folder).relativeFilePath(path),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

// Both board files as another program would read them now, with this one
// perhaps still running: what a crash would leave.
struct BoardOnDisk {
    explicit BoardOnDisk(const QString& folder, int dotsPerInch = 96)
    {
        whole = BoardRecords::loadShapes(
                    model, ProjectFiles::inFolder(folder, ProjectFiles::Shapes),
                    [](ObjectShape*) {}, &error) &&
                BoardRecords::loadLabels(
                    model, ProjectFiles::inFolder(folder, ProjectFiles::Captions), dotsPerInch,
                    [](ObjectLabel*) {}, &error);
    }
    const ObjectShape* shape(const QString& caption) const
    {
        const ObjectLabel* label = model.labelWithCaption(caption);
        return label ? model.shapeOf(label) : nullptr;
    }

    BoardModel model;
    bool whole = false;
    QString error;
};

// The whole program on the platform doubles, driven through its own windows
// as a user drives it: presses on the board, menu commands, typing.
class WindowsFixture : public ProgramFixture {
protected:
    ~WindowsFixture() override
    {
        program.reset();
        TObjectTable::destroyAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setRoundingMode(RoundingMode::NearestEven);
    }

    // The program ends as its main() ends it, and starts again on the same
    // platform: the main window's and the alarm window's start-up ticks.
    void restart()
    {
        program.reset();
        TObjectTable::destroyAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        start();
        form().Timer1Timer();
        program->alarmSettings.Timer1Timer();
        // The alarm worker's first check, handed over at once.
        QCoreApplication::processEvents();
    }

    ObjectShape* shapeOf(const QString& caption)
    {
        ObjectLabel* label = boardModel().labelWithCaption(caption);
        return label ? boardModel().shapeOf(label) : nullptr;
    }

    // A left press and release on the object, and another before the main
    // window's 300 ms tick: the double press that opens the note.
    TForm2* doublePress(const QString& caption)
    {
        ObjectShape* shape = shapeOf(caption);
        if (!shape)
            return nullptr;
        form().Timer2Timer();
        for (int i = 0; i < 2; ++i) {
            BoardInput::click(shape, Qt::LeftButton);
        }
        form().Timer2Timer();
        return NoteWindow();
    }

    // A left drag of the object by (dx, dy) in steps, through the handlers.
    void drag(const QString& caption, int dx, int dy, int steps = 5)
    {
        ObjectShape* shape = shapeOf(caption);
        ASSERT_NE(shape, nullptr);
        fake.pointer.at = QPoint(600, 600);
        form().ShapeMouseDown(shape, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= steps; ++i) {
            fake.pointer.at = QPoint(600 + dx * i / steps, 600 + dy * i / steps);
            form().ShapeMouseMove(shape, Qt::LeftButton);
        }
        form().ShapeMouseUp(shape, Qt::LeftButton);
    }

    // A right press on the object: it becomes current and its pop-up opens.
    void rightPress(const QString& caption)
    {
        ObjectShape* shape = shapeOf(caption);
        ASSERT_NE(shape, nullptr) << caption.toStdString();
        BoardInput::click(shape, Qt::RightButton);
        ASSERT_TRUE(form().PopupMenu1->isVisible());
        form().PopupMenu1->hide();
        form().Timer2Timer();
        ASSERT_EQ(form().CurrentLabel->caption(), caption);
    }

    static void pressCell(TObjectTable* table, int col, int row)
    {
        const QRect cell = table->StringGrid1->cellRect(col, row);
        QTest::mousePress(table->StringGrid1->viewport(), Qt::LeftButton, Qt::NoModifier,
                          cell.center());
        QTest::mouseRelease(table->StringGrid1->viewport(), Qt::LeftButton, Qt::NoModifier,
                            cell.center());
    }

    void inputCell(TObjectTable* table, int col, int row, const QString& text)
    {
        pressCell(table, col, row);
        fake.dialogs.inputAnswers = {text};
        table->Inputtext1Click();
    }

    void newStatus(TForm2* note, const QString& name, const QColor& colour)
    {
        fake.dialogs.inputAnswers = {name};
        fake.dialogs.colorAnswers = {colour};
        note->New1->trigger();
    }

    // "Alarm" on the object's pop-up menu, and Add in the alarm window with
    // the dialog set by fill; the user then closes the alarm window.
    void addAlarm(const QString& caption, std::function<void(TfAddEditAlarm&)> fill)
    {
        rightPress(caption);
        TfAlarmSettings& alarms = program->alarmSettings;
        bool added = false;
        QTimer::singleShot(0, [&] {
            if (QApplication::activeModalWidget() != &alarms)
                return;
            alarms.runDialog = [&](TfAddEditAlarm& dialog) {
                fill(dialog);
                return int(QDialog::Accepted);
            };
            alarms.Add->click();
            added = true;
            alarms.close();
        });
        form().Alarm1->trigger();
        EXPECT_TRUE(added) << "the alarm window did not open for " << caption.toStdString();
        EXPECT_FALSE(alarms.isVisible());
    }

    void setClock(QTime time) { fake.clock.current = QDateTime(QDate(2026, 12, 8), time); }
};
