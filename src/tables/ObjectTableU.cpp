#include "tables/ObjectTableU.h"

#include "board/BoardHost.h"
#include "project/ObjectLabel.h"
#include "project/Project.h"
#include "formats/KeepAside.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ObjectName.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"
#include "platform/SaveSoon.h"
#include "platform/WindowPlacement.h"
#include "tables/StringGrid.h"
#include "tables/TableFile.h"

#include <QCloseEvent>
#include <QDir>
#include <QPointer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollArea>
#include <QShowEvent>

#include <algorithm>

namespace {

const QString DefaultCaption = QStringLiteral("Default");

QList<TObjectTable*>& registry()
{
    static QList<TObjectTable*> windows;
    return windows;
}

} // namespace

TObjectTable::TObjectTable(Platform& platform, const QString& tableFile, bool withMenuBar,
                           Project* project)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_platform(platform),
      m_project(project), m_tableFile(tableFile)
{
    setObjectName(QStringLiteral("ObjectTable"));
    // Table windows never keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(809, 463);

    ClientArea = new QScrollArea(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setFrameShape(QFrame::NoFrame);
    ClientArea->setWidgetResizable(false);
    ClientArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ClientArea->setMinimumSize(1, 1);
    setCentralWidget(ClientArea);

    StringGrid1 = new StringGrid;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    QFont gridFont(QStringLiteral("Tahoma"), 8);
    StringGrid1->setFont(gridFont);
    StringGrid1->setColCount(7);
    StringGrid1->setRowCount(5);
    StringGrid1->setFixedCols(1);
    StringGrid1->setFixedRows(1);
    ClientArea->setWidget(StringGrid1);
    StringGrid1->setCurrentIndex(StringGrid1->model()->index(1, 1));
    connect(StringGrid1, &StringGrid::mouseDown, this, &TObjectTable::StringGrid1MouseDown);
    connect(StringGrid1, &StringGrid::drawCell, this, &TObjectTable::StringGrid1DrawCell);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TObjectTable::showCurrentCell);

    m_written = StringGrid1->columns();
    TableSaving = new SaveSoon(
        platform.clock, platform.dialogs, [this] { return SaveEditedTable(); }, this);
    const auto changed = [this] { TableSaving->changed(); };
    QAbstractItemModel* cells = StringGrid1->model();
    connect(cells, &QAbstractItemModel::dataChanged, this, changed);
    connect(cells, &QAbstractItemModel::rowsInserted, this, changed);
    connect(cells, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(cells, &QAbstractItemModel::columnsInserted, this, changed);
    connect(cells, &QAbstractItemModel::columnsRemoved, this, changed);

    if (withMenuBar) {
        MainMenu1 = new QMenuBar(this);
        MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
        Resettodefoult1 = MainMenu1->addAction(QStringLiteral("Reset to default"));
        Resettodefoult1->setObjectName(QStringLiteral("Resettodefoult1"));
        connect(Resettodefoult1, &QAction::triggered, this, &TObjectTable::Resettodefoult1Click);
        Clerar1 = MainMenu1->addAction(QStringLiteral("Clerar"));
        Clerar1->setObjectName(QStringLiteral("Clerar1"));
        connect(Clerar1, &QAction::triggered, this, &TObjectTable::Clerar1Click);
        setMenuBar(MainMenu1);
    }

    PopupMenu1 = makeMenu("PopupMenu1");
    addItem(PopupMenu1, "Inputtext3", QStringLiteral("Input text"), &TObjectTable::Inputtext1Click);
    addItem(PopupMenu1, "Insertcolumn2", QStringLiteral("Insert column"),
            &TObjectTable::Insertcolumn1Click);
    addItem(PopupMenu1, "Deletecolumn2", QStringLiteral("Delete column"),
            &TObjectTable::Deletecolumn1Click);

    PopupMenu2 = makeMenu("PopupMenu2");
    addItem(PopupMenu2, "Inputtext2", QStringLiteral("Input text"), &TObjectTable::Inputtext1Click);
    addItem(PopupMenu2, "Insertrow2", QStringLiteral("Insert row"), &TObjectTable::Insertrow1Click);
    addItem(PopupMenu2, "Deleterow2", QStringLiteral("Delete row"), &TObjectTable::Deleterow1Click);

    PopupMenu3 = makeMenu("PopupMenu3");
    addItem(PopupMenu3, "Inputtext1", QStringLiteral("Input text"), &TObjectTable::Inputtext1Click);
    addItem(PopupMenu3, "Insertrow1", QStringLiteral("Insert row"), &TObjectTable::Insertrow1Click);
    addItem(PopupMenu3, "Deleterow1", QStringLiteral("Delete row"), &TObjectTable::Deleterow1Click);
    addItem(PopupMenu3, "Insertcolumn1", QStringLiteral("Insert column"),
            &TObjectTable::Insertcolumn1Click);
    addItem(PopupMenu3, "Deletecolumn1", QStringLiteral("Delete column"),
            &TObjectTable::Deletecolumn1Click);

    resetMarkColors();
    registry().append(this);
}

TObjectTable::~TObjectTable()
{
    registry().removeOne(this);
    // The closing window commits the open cell editor once more, after this
    // object is half destroyed; what it commits was committed as typed.
    StringGrid1->model()->disconnect(this);
}

QMenu* TObjectTable::makeMenu(const char* name)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void TObjectTable::addItem(QMenu* menu, const char* name, const QString& text,
                           void (TObjectTable::*handler)())
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    // The command runs once the menu has closed and the mark is gone.
    connect(action, &QAction::triggered, this, handler, Qt::QueuedConnection);
}

// ---- Show and close ----

void TObjectTable::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TObjectTable::closeEvent(QCloseEvent* event)
{
    const SaveOutcome outcome = FormCloseQuery();
    if (!mayLeave(outcome)) {
        event->ignore();
        return;
    }
    event->accept();
    // A table left unsaved is read again from its file when next opened.
    if (outcome == SaveOutcome::LeftUnsaved)
        deleteLater();
}

void TObjectTable::FormShow()
{
    resetMarkColors();
    const bool fit = ReadTableFile();
    StringGrid1->openEditor();
    if (fit)
        FitToContent();
}

SaveOutcome TObjectTable::FormCloseQuery()
{
    TableSaving->settle(); // the close writes the table, or asks
    return saveOrAsk(m_platform.dialogs, tableSave());
}

SaveAtLeave TObjectTable::tableSave()
{
    // The boxes of a failed save run an event loop, in which a window may
    // go: its own close query saved it then, and nothing is left to write.
    const QPointer<TObjectTable> window(this);
    const auto writeTo = [window](const QString& file, QString* error) {
        return !window || window->SaveTable(file, error);
    };
    return {writeTo,
            m_tableFile,
            QStringLiteral("the changes to the table \"%1\" are lost.").arg(windowTitle()),
            QStringLiteral("Table files (*.txt)"),
            {},
            {}};
}

void TObjectTable::resetMarkColors()
{
    m_markColor = palette().color(QPalette::Button);
    m_markTextColor = palette().color(QPalette::ButtonText);
}

// ---- Table file ----

bool TObjectTable::ReadTableFile()
{
    // Taken before the read: a change made while it reads is seen later.
    const FileStamp stamp = FileStamp::of(m_tableFile);
    const bool loaded = !QFileInfo::exists(m_tableFile) || LoadTable();
    if (m_project && m_project->isOpen())
        m_project->sharedFiles().remember(m_tableFile, stamp);
    return loaded;
}

void TObjectTable::ReloadUnlessEdited(const QString& path)
{
    if (path != m_tableFile || !isVisible() || isEdited() || !QFileInfo::exists(path))
        return;
    if (ReadTableFile())
        FitToContent();
}

bool TObjectTable::LoadTable()
{
    // What the file holds is no edit; edits not written before are gone.
    const auto read = qScopeGuard([this] {
        m_written = StringGrid1->columns();
        TableSaving->settle();
    });
    QFile file(m_tableFile);
    if (!file.open(QIODevice::ReadOnly)) {
        m_saveAsYouGo = false;
        m_platform.dialogs.error(
            QStringLiteral("The table file %1 cannot be read: %2")
                .arg(QDir::toNativeSeparators(m_tableFile), file.errorString()));
        return false;
    }
    TableFile::Reader reader(file);
    int columns = 0;
    int rows = 0;
    bool loaded = reader.readColumnCount(&columns);
    if (loaded)
        StringGrid1->setColCount(columns);
    loaded = loaded && reader.readRowCount(columns, &rows);
    if (loaded) {
        StringGrid1->setRowCount(rows);
        TableFile::Columns cells;
        loaded = reader.readCells(StringGrid1->colCount(), StringGrid1->rowCount(), &cells);
        StringGrid1->setColumns(std::move(cells));
    }
    file.close();
    m_saveAsYouGo = loaded;
    if (loaded)
        return true;

    // The next save writes only what was read: a copy keeps the rest of the
    // file for whoever can mend it.
    QString copyError;
    const QString copy = keepAside(m_tableFile, &copyError);
    m_saveAsYouGo = !copy.isEmpty();
    const QString error =
        reader.errorString() +
        QStringLiteral("\nThe table file is %1.\n").arg(QDir::toNativeSeparators(m_tableFile)) +
        keptAsideNote(copy, copyError);
    m_platform.dialogs.error(error);
    return false;
}

bool TObjectTable::SaveTable(const QString& file, QString* error)
{
    const auto write = [&] {
        return TableFile::save(file, StringGrid1->columns(), StringGrid1->rowCount(), error);
    };
    if (!(m_project && file == m_tableFile ? m_project->replaceFile(file, write, error) : write()))
        return false;
    if (file == m_tableFile)
        m_written = StringGrid1->columns();
    if (m_project)
        m_project->announceSaved(file);
    return true;
}

bool TObjectTable::isEdited() const
{
    return StringGrid1->columns() != m_written;
}

QString TObjectTable::SaveEditedTable()
{
    if (!m_saveAsYouGo || !isEdited())
        return {};
    QString error;
    SaveTable(m_tableFile, &error); // a failure: the next edit tries again, the close asks
    return error;
}

void TObjectTable::FitToContent()
{
    const TableFile::Columns& columns = StringGrid1->columns();
    int gridWidth = 0;
    for (int c = 0; c < columns.size(); ++c) {
        int width = 20;
        for (const QString& text : columns.at(c)) {
            if (!text.isEmpty())
                width = std::max(width, StringGrid1->textWidth(text));
        }
        StringGrid1->setColWidth(c, width + 5);
        gridWidth += width + 5;
    }
    gridWidth += StringGrid1->colCount() + 4;
    int gridHeight = 0;
    for (int r = 0; r < StringGrid1->rowCount(); ++r)
        gridHeight += StringGrid1->rowHeight(r);
    gridHeight += StringGrid1->rowCount() + 4;
    StringGrid1->resize(gridWidth, gridHeight);

    // A window larger than the desktop would hide cells out of reach: the
    // client area stops at the desktop and scrolls.
    const QSize desktop = m_platform.desktop.size();
    const int clientWidth = std::min(gridWidth, desktop.width());
    const int menuHeight = MainMenu1 ? std::max(MainMenu1->heightForWidth(clientWidth), 0) : 0;
    const int clientHeight = std::min(gridHeight, desktop.height() - menuHeight);
    resize(clientWidth, clientHeight + menuHeight);
}

// ---- Mouse and drawing ----

void TObjectTable::StringGrid1MouseDown(Qt::MouseButton, Qt::MouseButtons buttons,
                                        const QPoint& pos)
{
    const QPoint cell = StringGrid1->mouseToCell(pos);
    m_clickedCol = cell.x();
    m_clickedRow = cell.y();
    if (!(buttons & Qt::RightButton))
        return;
    // A press beside the cells opens no menu: every command needs a real cell.
    if (!clickedIsCell())
        return;
    const QPoint globalPos = StringGrid1->viewport()->mapToGlobal(pos);
    const bool inFixedRow = m_clickedRow < StringGrid1->fixedRows();
    const bool inFixedCol = m_clickedCol < StringGrid1->fixedCols();
    if (inFixedRow && inFixedCol)
        openMenu(PopupMenu3, QColor(255, 255, 0), globalPos);
    else if (inFixedCol)
        openMenu(PopupMenu2, QColor(0, 255, 255), globalPos);
    else if (inFixedRow)
        openMenu(PopupMenu1, QColor(0, 255, 0), globalPos);
}

void TObjectTable::openMenu(QMenu* menu, const QColor& mark, const QPoint& globalPos)
{
    m_markColor = mark;
    StringGrid1->viewport()->repaint();
    menu->exec(globalPos);
    m_markColor = palette().color(QPalette::Button);
    StringGrid1->viewport()->repaint();
}

void TObjectTable::StringGrid1DrawCell(QPainter* painter, int col, int row, const QRect& rect,
                                       bool selected)
{
    if (clickedIsCell() && !StringGrid1->isFixed(m_clickedCol, m_clickedRow))
        return;
    QColor fill;
    QColor text;
    if (col == m_clickedCol && row == m_clickedRow) {
        fill = m_markColor;
        text = m_markTextColor;
    } else if (StringGrid1->isFixed(col, row)) {
        fill = palette().color(QPalette::Button);
        text = palette().color(QPalette::ButtonText);
    } else if (selected) {
        fill = palette().color(QPalette::Highlight);
        text = palette().color(QPalette::HighlightedText);
    } else {
        fill = StringGrid1->color();
        text = StringGrid1->fontColor();
    }
    painter->fillRect(rect, fill);
    painter->setPen(text);
    StringGrid::drawCellText(painter, rect, StringGrid1->cell(col, row));
}

void TObjectTable::showCurrentCell()
{
    const QModelIndex current = StringGrid1->currentIndex();
    if (!current.isValid())
        return;
    const QRect cell = StringGrid1->visualRect(current);
    const QPoint center = StringGrid1->viewport()->mapTo(StringGrid1, cell.center());
    ClientArea->ensureVisible(center.x(), center.y(), cell.width() / 2 + 4, cell.height() / 2 + 4);
}

bool TObjectTable::clickedIsCell() const
{
    return m_clickedCol >= 0 && m_clickedRow >= 0 && m_clickedCol < StringGrid1->colCount() &&
           m_clickedRow < StringGrid1->rowCount();
}

// ---- Cell commands ----

void TObjectTable::Inputtext1Click()
{
    if (!clickedIsCell())
        return;
    const std::optional<QString> text = m_platform.dialogs.input(
        QStringLiteral("Input for Col ") + QString::number(m_clickedCol) + QStringLiteral(",Row ") +
            QString::number(m_clickedRow) + QStringLiteral(":"),
        QString());
    if (!text || text->isEmpty())
        return;
    StringGrid1->setCell(m_clickedCol, m_clickedRow, *text);
    FitToContent();
}

void TObjectTable::Insertrow1Click()
{
    if (!clickedIsCell())
        return;
    const int at = m_clickedRow + 1;
    StringGrid1->setRowCount(StringGrid1->rowCount() + 1);
    TableFile::Columns columns = StringGrid1->columns();
    for (QStringList& column : columns) {
        column.insert(at, QString());
        column.removeLast();
    }
    StringGrid1->setColumns(std::move(columns));
    FitToContent();
}

void TObjectTable::Deleterow1Click()
{
    if (!clickedIsCell())
        return;
    if (m_clickedRow < StringGrid1->fixedRows()) {
        m_platform.dialogs.message(QStringLiteral("Fixed rows can not be deleted!\r\n"
                                                  "You must selct cell from fixed row\r\n"
                                                  "and edit/delete it individualy."));
    } else if (m_platform.dialogs.confirm(QStringLiteral("Do You realy want do delate this row: ") +
                                          StringGrid1->cell(m_clickedCol, m_clickedRow) +
                                          QStringLiteral(" ?"))) {
        const int rows = StringGrid1->rowCount();
        if (rows > 1) {
            TableFile::Columns columns = StringGrid1->columns();
            for (QStringList& column : columns) {
                column.removeAt(m_clickedRow);
                column.append(QString());
            }
            StringGrid1->setColumns(std::move(columns));
        }
        StringGrid1->setRowCount(rows - 1);
    }
    StringGrid1->viewport()->update();
}

void TObjectTable::Insertcolumn1Click()
{
    if (!clickedIsCell())
        return;
    const int at = m_clickedCol + 1;
    StringGrid1->setColCount(StringGrid1->colCount() + 1);
    TableFile::Columns columns = StringGrid1->columns();
    columns.insert(at, QStringList(StringGrid1->rowCount()));
    columns.removeLast();
    StringGrid1->setColumns(std::move(columns));
    FitToContent();
}

void TObjectTable::Deletecolumn1Click()
{
    if (!clickedIsCell())
        return;
    if (m_clickedCol < StringGrid1->fixedCols()) {
        m_platform.dialogs.message(QStringLiteral("Fixed columns can not be deleted!\r\n"
                                                  "You must selct cell from fixed column\r\n"
                                                  "and edit/delete it individualy."));
    } else if (m_platform.dialogs.confirm(
                   QStringLiteral("Do You realy want do delate this column: ") +
                   StringGrid1->cell(m_clickedCol, m_clickedRow) + QStringLiteral(" ?"))) {
        const int count = StringGrid1->colCount();
        if (count > 1) {
            TableFile::Columns columns = StringGrid1->columns();
            columns.removeAt(m_clickedCol);
            columns.append(QStringList(StringGrid1->rowCount()));
            StringGrid1->setColumns(std::move(columns));
        }
        StringGrid1->setColCount(count - 1);
    }
    FitToContent();
}

void TObjectTable::Clerar1Click()
{
    if (!m_platform.dialogs.confirm(
            QStringLiteral("Do You realy want to clear all content of table?")))
        return;
    StringGrid1->setColumns(
        TableFile::emptyColumns(StringGrid1->colCount(), StringGrid1->rowCount()));
}

void TObjectTable::Resettodefoult1Click()
{
    if (!m_platform.dialogs.confirm(QStringLiteral("Do You realy want to reset to default table?")))
        return;
    const QString defaultTable = defaultTableFile();
    // As the Windows version did, a failed copy is not reported: the window
    // then shows its own table file again.
    if (QFileInfo::exists(defaultTable))
        TableFile::copy(defaultTable, m_tableFile);
    resetMarkColors();
    const bool fit = !QFileInfo::exists(m_tableFile) || LoadTable();
    StringGrid1->openEditor();
    if (fit)
        FitToContent();
}

QString TObjectTable::defaultTableFile() const
{
    // ProjectFolder\name\nametable.txt: the project folder is two levels up.
    const QString objectFolder = QFileInfo(m_tableFile).absolutePath();
    return ProjectFiles::inFolder(QDir::toNativeSeparators(QFileInfo(objectFolder).absolutePath()),
                                  ProjectFiles::DefaultTable);
}

// ---- All table windows ----

QList<TObjectTable*> TObjectTable::windows()
{
    return registry();
}

TObjectTable* TObjectTable::find(const QString& tableFile)
{
    for (TObjectTable* window : registry()) {
        if (window->m_tableFile == tableFile)
            return window;
    }
    return nullptr;
}

QList<SaveAtLeave> TObjectTable::closingSaves()
{
    QList<SaveAtLeave> saves;
    for (TObjectTable* window : registry()) {
        window->TableSaving->settle(); // the close writes the table, or asks
        saves.append(window->tableSave());
    }
    return saves;
}

void TObjectTable::closeSaved()
{
    destroyAll();
}

void TObjectTable::destroyAll()
{
    while (!registry().isEmpty())
        delete registry().last();
}

// ---- Opening ----

TObjectTable* OpenTableWindow(Platform& platform, const QString& tableFile, const QString& caption,
                              const QWidget* mainWindow, Project* project)
{
    if (TObjectTable* window = TObjectTable::find(tableFile)) {
        if (!window->isVisible())
            window->show();
        window->raise();
        window->activateWindow();
        return window;
    }
    auto* window = new TObjectTable(platform, tableFile, caption != DefaultCaption, project);
    window->setWindowTitle(caption);
    // Placed once shown, when the loaded table has given the window its size.
    window->show();
    placeNearPointer(*window, platform, mainWindow);
    return window;
}

void OpenObjectTable(BoardHost& host, Platform& platform)
{
    const ObjectLabel* label = host.currentLabel();
    if (!label)
        return;
    Project& project = host.project();
    if (!project.isOpen() || !QFileInfo::exists(project.file(ProjectFiles::DefaultTable))) {
        platform.dialogs.message(
            QStringLiteral("It is obligatory to create an default table as template at first.\r\n"
                           "Go to main menu and select: Default object table."));
        return;
    }
    const QString name = label->caption();
    if (ObjectName::refused(name, platform.dialogs))
        return;
    OpenTableWindow(platform, project.tableFile(name), name, host.mainWindow(), &project);
}

void OpenDefaultTable(BoardHost& host, Platform& platform)
{
    if (!host.project().isOpen()) {
        platform.dialogs.message(DefineFormFirst);
        return;
    }
    OpenTableWindow(platform, host.project().file(ProjectFiles::DefaultTable), DefaultCaption,
                    host.mainWindow(), &host.project());
}

bool CopyDefaultTable(const QString& projectFolder, const QString& objectName)
{
    const QString defaultTable = ProjectFiles::inFolder(projectFolder, ProjectFiles::DefaultTable);
    if (!QFileInfo::exists(defaultTable))
        return false;
    return TableFile::copy(defaultTable, ProjectFiles::table(projectFolder, objectName));
}
