// Find: the main window's side of the find window, from opening it to showing
// a hit's object, note or table.
#include "main/Body.h"

#include "alarms/fAlarmSettingsUnit.h"
#include "board/Board.h"
#include "find/BringIntoView.h"
#include "find/FindIndexer.h"
#include "find/FindWindow.h"
#include "notes/Obiect.h"
#include "tables/ObjectTableU.h"
#include "tables/StringGrid.h"

#include <QTextEdit>

void TForm1::buildFind()
{
    m_findIndexer = new FindIndexer(this);
    m_findWindow = new FindWindow(*m_findIndexer, this);
    m_findWindow->setAlarmNames([this] {
        return m_windows.alarmSettings ? m_windows.alarmSettings->names() : QStringList();
    });
    connect(&m_project, &Project::fileSaved, m_findIndexer,
            [this](const QString& path) { m_findIndexer->fileSaved(m_project.folder(), path); });
    // The index follows the board: an object named, removed or brought back
    // by an undo enters or leaves it. A caption still "?" belongs to an
    // object being named.
    connect(m_boardModel, &BoardModel::captionTextChanged, m_findIndexer,
            [this](const QString& before, const QString& after) {
                const auto named = [](const QString& caption) {
                    return !caption.isEmpty() && caption != QLatin1String("?");
                };
                // Another caption of the same text keeps the name found.
                if (named(before) && !m_boardModel->labelWithCaption(before))
                    m_findIndexer->remove(before);
                if (named(after) && m_project.isOpen())
                    m_findIndexer->refresh(m_project.folder(), after);
            });
    connect(m_findWindow, &FindWindow::hitChosen, this, &TForm1::ShowFoundObject);
    connect(m_findWindow, &FindWindow::noteRequested, this, &TForm1::OpenFoundNote);
    connect(m_findWindow, &FindWindow::tableRequested, this, &TForm1::OpenFoundTable);
}

void TForm1::IndexProjectObjects()
{
    const QList<ObjectLabel*> labels = m_boardModel->labels();
    QStringList names;
    names.reserve(labels.size());
    for (const ObjectLabel* label : labels) {
        // A caption still "?" belongs to an object being named.
        if (!label->caption().isEmpty() && label->caption() != QLatin1String("?"))
            names.append(label->caption());
    }
    m_findIndexer->indexProject(m_project.isOpen() ? m_project.folder() : QString(), names);
}

void TForm1::Find1Click()
{
    m_findWindow->open();
}

bool TForm1::ShowFoundObject(const FindHit& hit)
{
    ObjectLabel* label = m_boardModel->labelWithCaption(hit.object);
    if (!label)
        return false;
    CurrentLabel = label;
    CurrentShape = m_boardModel->shapeOf(label);
    const QRect area =
        CurrentShape ? CurrentShape->geometry().united(label->geometry()) : label->geometry();
    bringIntoView(*m_board, area);
    m_board->highlight(area, FoundHighlightMilliseconds);
    return true;
}

void TForm1::showObject(const QString& objectName)
{
    // From under other windows, from the task bar, from another desktop.
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (objectName.isEmpty())
        return;
    FindHit hit;
    hit.object = objectName;
    ShowFoundObject(hit);
}

bool TForm1::OpenFoundNote(const FindHit& hit)
{
    if (!ShowFoundObject(hit))
        return false;
    OpenNoteWindow();
    TForm2* note = NoteWindow();
    if (!note || note->windowTitle() != hit.object)
        return false;
    if (hit.where == FoundIn::Note) {
        QTextCursor cursor = note->RichEdit1->textCursor();
        const int end = note->RichEdit1->document()->characterCount() - 1;
        cursor.setPosition(int(std::min<qsizetype>(hit.position, end)));
        cursor.setPosition(int(std::min<qsizetype>(hit.position + hit.length, end)),
                           QTextCursor::KeepAnchor);
        note->RichEdit1->setTextCursor(cursor);
        note->RichEdit1->ensureCursorVisible();
    }
    return true;
}

bool TForm1::OpenFoundTable(const FindHit& hit)
{
    if (!ShowFoundObject(hit))
        return false;
    able1Click();
    TObjectTable* table = TObjectTable::find(m_project.tableFile(hit.object));
    if (!table)
        return false;
    if (hit.where == FoundIn::Table && hit.column < table->StringGrid1->colCount() &&
        hit.row < table->StringGrid1->rowCount()) {
        StringGrid* grid = table->StringGrid1;
        grid->setCurrentIndex(grid->model()->index(hit.row, hit.column));
        grid->openEditor();
    }
    return true;
}
