#pragma once

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "platform/Dialogs.h"
#include "tables/TableFile.h"

class BoardHost;
class QAction;
class QMenu;
class QMenuBar;
class QPainter;
class QScrollArea;
class SaveSoon;
class StringGrid;
struct Platform;
class Project;

// The table window of one table file: an object's table, or the project's
// default table ("Default", without menu bar). Closing it saves the table and
// hides the window; it lives until the program ends, so that OpenTableWindow
// finds it again.
class TObjectTable : public QMainWindow {
    Q_OBJECT
public:
    // Object tables get the menu bar with "Reset to default" and "Clerar".
    // Each table written whole is announced to the project, when there is one.
    TObjectTable(Platform& platform, const QString& tableFile, bool withMenuBar,
                 Project* project = nullptr);
    ~TObjectTable() override;

    const QString& tableFile() const { return m_tableFile; }

    // The client area scrolls when the fitted grid is larger than the desktop.
    QScrollArea* ClientArea;
    StringGrid* StringGrid1;
    QMenuBar* MainMenu1 = nullptr;
    QAction* Resettodefoult1 = nullptr;
    QAction* Clerar1 = nullptr;
    // Column header menu.
    QMenu* PopupMenu1;
    // Row header menu.
    QMenu* PopupMenu2;
    // Corner menu.
    QMenu* PopupMenu3;
    // Writes an edited table a moment after the editing stops.
    SaveSoon* TableSaving;

    // The cell under the last mouse press on the grid, as (column, row);
    // (-1, -1) when the press hit no cell.
    QPoint clickedCell() const { return {m_clickedCol, m_clickedRow}; }
    QColor markColor() const { return m_markColor; }

    void FormShow();
    // Saves the table; a failed save offers the choices of a failed save.
    SaveOutcome FormCloseQuery();
    // The save of the close query, for a close that asks about several files.
    SaveAtLeave tableSave();
    void StringGrid1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, const QPoint& pos);
    void StringGrid1DrawCell(QPainter* painter, int col, int row, const QRect& rect, bool selected);
    void Inputtext1Click();
    void Insertrow1Click();
    void Deleterow1Click();
    void Insertcolumn1Click();
    void Deletecolumn1Click();
    void Clerar1Click();
    void Resettodefoult1Click();

    // Reads the table file into the grid. On failure shows the error, keeps a
    // copy of the damaged file beside it and returns false.
    bool LoadTable();
    // Reads the table file when there is one, remembering what it held.
    bool ReadTableFile();
    // Another copy changed a file: read again when it is this window's and
    // the window holds no edit of its own.
    void ReloadUnlessEdited(const QString& path);
    // Writes the grid to a table file; on failure returns false with the
    // error in *error.
    bool SaveTable(const QString& file, QString* error);
    // True when the grid's texts differ from those last read from or
    // written to the table file.
    bool isEdited() const;
    // Column widths to their texts, grid and client area to the columns and rows.
    void FitToContent();

    // The default table file of the project this window's table belongs to.
    QString defaultTableFile() const;

    // Every table window, visible or hidden, oldest first.
    static QList<TObjectTable*> windows();
    static TObjectTable* find(const QString& tableFile);
    // What a project switch and the end of the program do with the table
    // windows, visible or hidden, in two steps, for a close that asks about
    // the tables together with other files: the save of every table window,
    // and deleting every window once those saves are settled.
    static QList<SaveAtLeave> closingSaves();
    static void closeSaved();
    // Deletes every table window, at the end of the program.
    static void destroyAll();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMenu* makeMenu(const char* name);
    void addItem(QMenu* menu, const char* name, const QString& text,
                 void (TObjectTable::*handler)());
    void openMenu(QMenu* menu, const QColor& mark, const QPoint& globalPos);
    bool clickedIsCell() const;
    void resetMarkColors();
    void showCurrentCell();
    // What TableSaving runs: the edits to the table file, unless the file
    // could not be read and no copy of it could be kept.
    QString SaveEditedTable();

    Platform& m_platform;
    QPointer<Project> m_project;
    QString m_tableFile;
    // The texts last read from or written to the table file.
    TableFile::Columns m_written;
    // False after a table file could neither be read whole nor kept aside:
    // only the close writes over it then, as it always has.
    bool m_saveAsYouGo = true;
    // The last save of edits failed and said so.
    int m_clickedCol = -1;
    int m_clickedRow = -1;
    QColor m_markColor;
    QColor m_markTextColor;
};

// Shows the window of a table file, creating it near the pointer when there
// is none, with the menu bar unless the caption is "Default". A new window
// stands wholly on the desktop and below the menu bar of mainWindow.
TObjectTable* OpenTableWindow(Platform& platform, const QString& tableFile, const QString& caption,
                              const QWidget* mainWindow = nullptr, Project* project = nullptr);
// "Table" on the object pop-up menu: the current object's table, refused
// while the project has no default table.
void OpenObjectTable(BoardHost& host, Platform& platform);
// "SETTINGS" > "Default object table".
void OpenDefaultTable(BoardHost& host, Platform& platform);
// For New Object: copies the project's default table, when there is one, to
// the table file of the newly named object, replacing a file that is there.
bool CopyDefaultTable(const QString& projectFolder, const QString& objectName);
