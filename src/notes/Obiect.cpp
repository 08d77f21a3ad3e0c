#include "notes/Obiect.h"
#include "formats/SaveFile.h"

#include "board/BoardHost.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "project/Project.h"
#include "formats/RichText.h"
#include "notes/StatusButtons.h"
#include "platform/ColorRef.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ObjectName.h"
#include "platform/Platform.h"
#include "platform/SaveSoon.h"
#include "platform/Shell.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSaveFile>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QWindow>

namespace {

// Notes from this size on are read in slices between which the window serves
// its events; a slice takes some tens of milliseconds.
constexpr qint64 kBigNoteBytes = 2 * 1024 * 1024;
constexpr qsizetype kSliceBytes = 128 * 1024;
// A big note is laid out in steps of characters until a slice's time is up:
// the rows of a table take far longer than lines of text.
constexpr int kLayoutStepCharacters = 16 * 1024;
constexpr qint64 kLayoutSliceMilliseconds = 50;
// The editor holds a long table as tables of this many rows: Qt lays out a
// table whole, at the first showing and again at every edit in it.
constexpr int kTablePieceRows = 200;
constexpr int kEditorHeight = 417;
constexpr int kNoticeHeight = 18;

QPointer<TForm2>& noteWindowRef()
{
    static QPointer<TForm2> window;
    return window;
}

// How the two "does not exist" messages name a note: by the object name only.
QString noteFileText(const QString& name)
{
    return name + QDir::separator() + name + QStringLiteral(".rtf");
}

QString cannotReadMessage(const QString& name)
{
    return QStringLiteral("Can not read from") + noteFileText(name) +
           QStringLiteral("  File does not exist!");
}

QString cannotWriteMessage(const QString& name)
{
    return QStringLiteral("Can not write to ") + noteFileText(name) +
           QStringLiteral("  File does not exist!");
}

QString fileError(const QString& what, const QString& path, const QString& reason)
{
    return what + QLatin1Char('"') + path + QStringLiteral("\". ") + reason;
}

void setRole(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QFrame* makePanel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    setRole(panel, QPalette::Window, ColorRef::toQColor(ColorRef::BtnFace));
    return panel;
}

// The caret's character offset within its displayed line.
int caretColumn(const QTextEdit* editor)
{
    const QTextCursor cursor = editor->textCursor();
    const QTextBlock block = cursor.block();
    const int inBlock = cursor.positionInBlock();
    editor->document()->documentLayout()->blockBoundingRect(block); // lays the block out
    const QTextLayout* layout = block.layout();
    if (layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(inBlock);
        if (line.isValid())
            return inBlock - line.textStart();
    }
    return inBlock;
}

// What laying out the note costs, in characters of text: a table's cell
// takes about as long as 250 of them.
qint64 layoutCharacters(const QTextDocument* note)
{
    qint64 cells = 0;
    for (const QTextFrame* frame : note->rootFrame()->childFrames())
        if (const auto* table = qobject_cast<const QTextTable*>(frame))
            cells += qint64(table->rows()) * table->columns();
    return note->characterCount() + 250 * cells;
}

} // namespace

// ---- The window ----

// Owned by the main window, so that it stays in front of the board: a dialog
// window, as only those are kept above their owner by the window manager.
TForm2::TForm2(BoardHost& host, Platform& platform)
    : QMainWindow(host.mainWindow(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowCloseButtonHint),
      m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    buildLayout();
    buildEditCommands();
    NoteSaving = new SaveSoon(
        platform.clock, platform.dialogs, [this] { return SaveTypedText(); }, this);
    connect(RichEdit1, &QTextEdit::textChanged, this, [this] {
        if (RichEdit1->document()->isModified())
            NoteSaving->changed();
    });
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this, &TForm2::KeepCaretOutOfTableJoints);
    setColor(ColorRef::BtnFace);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm2::FocusWindowChanged);
}

TForm2::~TForm2() = default;

void TForm2::buildLayout()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    setRole(bar, QPalette::Window, ColorRef::toQColor(ColorRef::BtnFace));
    New1 = bar->addAction(QStringLiteral("New status"));
    New1->setObjectName(QStringLiteral("New1"));
    connect(New1, &QAction::triggered, this, &TForm2::Status1Click);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(720, 433);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Panel2 = makePanel(client, "Panel2", QRect(0, 6, 723, 429));
    Panel1 = makePanel(Panel2, "Panel1", QRect(6, 6, 178, 417));

    RichEdit1 = new QTextEdit(Panel2);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(190, 6, 520, 417);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setAcceptRichText(true);
    setRole(RichEdit1, QPalette::Base, Qt::white);
    RichEdit1->viewport()->installEventFilter(this);

    NoteNotice = new QLabel(Panel2);
    NoteNotice->setObjectName(QStringLiteral("NoteNotice"));
    NoteNotice->setGeometry(190, 6 + kEditorHeight - kNoticeHeight, 520, kNoticeHeight);
    NoteNotice->hide();

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("Remove"));
    Delete1->setObjectName(QStringLiteral("Delete1"));
    connect(Delete1, &QAction::triggered, this, &TForm2::Delete1Click);
}

void TForm2::buildEditCommands()
{
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    const auto command = [this](QAction*& action, const char* name, const QString& text,
                                const QKeySequence& key, bool inMenu) {
        action = inMenu ? PopupMenu2->addAction(text) : new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        RichEdit1->addAction(action);
    };
    command(Cut1, "Cut1", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), true);
    command(Copy1, "Copy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), true);
    command(Paste1, "Paste1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), true);
    command(Delete2, "Delete2", QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete), true);
    command(Undo1, "Undo1", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), true);
    command(SelectAll1, "SelectAll1", QStringLiteral("Select all"),
            QKeySequence(Qt::CTRL | Qt::Key_A), false);

    connect(Cut1, &QAction::triggered, RichEdit1, &QTextEdit::cut);
    connect(Copy1, &QAction::triggered, RichEdit1, &QTextEdit::copy);
    connect(Paste1, &QAction::triggered, RichEdit1, &QTextEdit::paste);
    connect(Delete2, &QAction::triggered, RichEdit1, [this] {
        QTextCursor cursor = RichEdit1->textCursor();
        cursor.removeSelectedText();
        RichEdit1->setTextCursor(cursor);
    });
    connect(Undo1, &QAction::triggered, RichEdit1, &QTextEdit::undo);
    connect(SelectAll1, &QAction::triggered, RichEdit1, &QTextEdit::selectAll);

    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, &TForm2::RichEdit1ContextPopup);
    connect(RichEdit1, &QTextEdit::selectionChanged, this, &TForm2::UpdateEditCommands);
    connect(RichEdit1, &QTextEdit::textChanged, this, &TForm2::UpdateEditCommands);
    connect(RichEdit1, &QTextEdit::undoAvailable, this, &TForm2::UpdateEditCommands);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TForm2::UpdateEditCommands);
    UpdateEditCommands();
}

void TForm2::UpdateEditCommands()
{
    const bool selected = RichEdit1->textCursor().hasSelection();
    Cut1->setEnabled(selected);
    Copy1->setEnabled(selected);
    Delete2->setEnabled(selected);
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    Paste1->setEnabled(clipboard && clipboard->hasText());
    Undo1->setEnabled(RichEdit1->document()->isUndoAvailable());
    SelectAll1->setEnabled(!RichEdit1->document()->isEmpty());
}

void TForm2::RichEdit1ContextPopup(const QPoint& pos)
{
    UpdateEditCommands();
    PopupMenu2->popup(RichEdit1->viewport()->mapToGlobal(pos));
}

void TForm2::setColor(quint32 colorRef)
{
    m_color = colorRef;
    setRole(this, QPalette::Window, ColorRef::toQColor(colorRef));
}

QString TForm2::notePath() const
{
    return ProjectFiles::note(m_projectFolder, windowTitle());
}

QString TForm2::statusFilePath() const
{
    return ProjectFiles::inFolder(m_projectFolder, ProjectFiles::Statuses);
}

// ---- Opening, becoming active, closing ----

void TForm2::ShowFor(const QString& objectName, quint32 fillColor)
{
    const bool switchObject = objectName == windowTitle() || LeaveNote();
    if (switchObject) {
        setWindowTitle(objectName);
        setColor(fillColor);
    }
    if (!isVisible()) {
        adjustSize();
        const QSize desktop = m_platform.desktop.size();
        move((desktop.width() - width()) / 2, (desktop.height() - height()) / 2);
        show();
    }
    raise();
    activateWindow();
    // The focus may already be here, or may arrive later: this window counts as
    // active from now on, and the arrival is not counted a second time.
    m_previousFocus = {true, true, false};
    if (switchObject)
        FormActivate();
}

void TForm2::FocusWindowChanged(QWindow* window)
{
    if (!window)
        return; // the focus left the application
    if (window->type() == Qt::Popup || window->type() == Qt::ToolTip)
        return; // menus and hints come and go over whatever is active
    const FocusRecord previous = m_previousFocus;
    const bool ours = window == windowHandle();
    m_previousFocus = {true, ours, window->modality() != Qt::NonModal};
    if (!ours || previous.ours || previous.modal)
        return;
    // After the focus change has settled, not inside its notification.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible())
                FormActivate();
        },
        Qt::QueuedConnection);
}

bool TForm2::HasPendingEdits()
{
    if (!RichEdit1->document()->isModified())
        return false;
    if (m_notePath.isEmpty()) {
        // Typed after the note could not be read: it belongs to the titled object.
        if (m_projectFolder.isEmpty() || windowTitle().isEmpty())
            return false;
        m_notePath = notePath();
        m_noteName = windowTitle();
    }
    return true;
}

TForm2::Pending TForm2::SavePendingEdits()
{
    if (!HasPendingEdits())
        return Pending::None;
    if (!QFileInfo::exists(m_notePath))
        return Pending::FileMissing;
    return SaveNote(m_notePath) ? Pending::Saved : Pending::WriteFailed;
}

void TForm2::FormActivate()
{
    const Pending pending = SavePendingEdits();
    m_projectFolder = m_host.project().folder();
    const QString title = windowTitle();
    const QString path = notePath();
    bool load = pending != Pending::WriteFailed;
    if (pending == Pending::FileMissing && path != m_notePath) {
        // Unsaved text of another note whose file is gone: shown, not replaced.
        m_platform.dialogs.message(cannotWriteMessage(m_noteName));
        load = false;
    }
    if (load) {
        if (!m_notePath.isEmpty() && path != m_notePath)
            clearEditor(); // never show one object's note under another's name
        if (QFileInfo::exists(path)) {
            if (!ReadNote(path))
                return;
        } else {
            m_platform.dialogs.message(cannotReadMessage(title));
        }
    }
    ReadStatusButtons();
}

void TForm2::clearEditor()
{
    StopLoading();
    showNotice(QString());
    m_notKept.clear();
    m_notShown.clear();
    m_saveAsYouGo = false;
    RichEdit1->clear();
    RichEdit1->document()->clearUndoRedoStacks();
    RichEdit1->document()->setModified(false);
    NoteSaving->settle();
    m_notePath.clear();
    m_noteName.clear();
}

bool TForm2::LoadNote(const QString& path)
{
    if (m_reader && path == m_readPath)
        return true; // being read already
    StopLoading();
    QFile file(path);
    QByteArray data;
    if (file.open(QIODevice::ReadOnly))
        data = file.readAll();
    if (!file.isOpen() || (data.isEmpty() && !file.atEnd())) {
        // What the editor holds is no longer what the file holds.
        m_saveAsYouGo = false;
        m_platform.dialogs.error(
            fileError(QStringLiteral("Cannot open file "), path, file.errorString()));
        return false;
    }
    // Read into a document of its own: filling the editor's document would lay
    // the note out again after every piece of text.
    m_readDocument = new QTextDocument(RichEdit1);
    m_readDocument->setDefaultFont(RichEdit1->document()->defaultFont());
    m_readDocument->setDocumentMargin(RichEdit1->document()->documentMargin());
    m_reader = std::make_unique<RichText::StepReader>(data, m_readDocument, kTablePieceRows);
    m_readPath = path;
    if (data.size() < kBigNoteBytes) {
        m_reader->step(data.size() + 1);
        FinishLoading();
        return true;
    }
    // A big note: the window stays responsive while it is read, and nothing
    // can be typed or stamped into the note before it is there.
    RichEdit1->setReadOnly(true);
    Panel1->setEnabled(false);
    ReadNoteSlice();
    return true;
}

void TForm2::ReadNoteSlice()
{
    if (!m_reader)
        return;
    if (!m_reader->step(kSliceBytes)) {
        showNotice(QStringLiteral("Reading the note: %1 %").arg(int(m_reader->progress() * 100)));
        QTimer::singleShot(0, this, &TForm2::ReadNoteSlice);
        return;
    }
    FinishLoading();
}

void TForm2::StopLoading()
{
    if (!isLoadingNote())
        return;
    m_laidOutTo = -1;
    m_reader.reset();
    delete m_readDocument;
    m_readDocument = nullptr;
    m_readPath.clear();
    RichEdit1->setReadOnly(false);
    Panel1->setEnabled(true);
    showNotice(QString());
}

void TForm2::FinishLoading()
{
    QTextDocument* note = m_readDocument;
    m_notKept = m_reader->notKept();
    m_notShown = m_reader->notShown();
    m_notePath = m_readPath;
    m_noteName = windowTitle();
    const bool big = layoutCharacters(note) > kBigNoteBytes / 2;
    m_reader.reset();
    m_readDocument = nullptr;
    m_readPath.clear();

    QPointer<QTextDocument> previous = RichEdit1->document();
    RichEdit1->setDocument(note);
    if (previous && previous->parent() == RichEdit1)
        delete previous.data(); // the editor deletes only the document it started with
    if (big) {
        // Showing the end lays out all of the note before it: in slices too.
        note->documentLayout()->installEventFilter(this);
        RichEdit1->setReadOnly(true);
        Panel1->setEnabled(false);
        m_laidOutTo = 0;
        LayOutNoteSlice();
        return;
    }
    ShowNoteEnd();
}

void TForm2::LayOutNoteSlice()
{
    if (m_laidOutTo < 0)
        return;
    QTextDocument* note = RichEdit1->document();
    const int end = note->characterCount() - 1;
    QElapsedTimer slice;
    slice.start();
    do {
        m_laidOutTo = qMin(end, m_laidOutTo + kLayoutStepCharacters);
        note->documentLayout()->blockBoundingRect(note->findBlock(m_laidOutTo));
    } while (m_laidOutTo < end && slice.elapsed() < kLayoutSliceMilliseconds);
    if (m_laidOutTo < end) {
        showNotice(QStringLiteral("Laying out the note: %1 %")
                       .arg(int(100.0 * m_laidOutTo / qMax(1, end))));
        QTimer::singleShot(0, this, &TForm2::LayOutNoteSlice);
        return;
    }
    m_laidOutTo = -1;
    ShowNoteEnd();
}

void TForm2::ShowNoteEnd()
{
    QTextDocument* note = RichEdit1->document();
    RichEdit1->setReadOnly(false);
    Panel1->setEnabled(true);
    showNotice(QString());

    // The end of the note in view, the caret after it.
    QTextCursor cursor = RichEdit1->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
    RichEdit1->setTextCursor(cursor);
    RichEdit1->ensureCursorVisible();
    cursor.movePosition(QTextCursor::End);
    RichEdit1->setTextCursor(cursor);
    RichEdit1->setFocus();
    MoveRTCaretEnd(RichEdit1);
    // What the file holds is not an edit, nor is the line the caret was given;
    // undoing every edit brings the note back to it.
    note->clearUndoRedoStacks();
    note->setModified(false);
    NoteSaving->settle();
    m_saveAsYouGo = true;
    connect(note, &QTextDocument::modificationChanged, this, &TForm2::NoteModified);
    UpdateEditCommands();
}

// The caret never rests on the paragraph between two pieces of a long table,
// where typed text would not show: it goes on into the next piece's first row
// or the last row of the piece before, as it moved, in the column it left.
void TForm2::KeepCaretOutOfTableJoints()
{
    QTextCursor caret = RichEdit1->textCursor();
    const QTextBlock block = caret.block();
    if (RichText::isTableJoint(block)) {
        const bool down = caret.position() >= m_caretPosition;
        QTextCursor from(RichEdit1->document());
        from.setPosition(qMin(m_caretPosition, RichEdit1->document()->characterCount() - 1));
        const QTextTable* left = from.currentTable();
        const int column = left ? left->cellAt(from).column() : 0;
        if (QTextTable* piece =
                QTextCursor(down ? block.next() : block.previous()).currentTable()) {
            const QTextTableCell cell =
                piece->cellAt(down ? 0 : piece->rows() - 1, qMin(column, piece->columns() - 1));
            const bool selecting = caret.anchor() != caret.position();
            caret.setPosition(down ? cell.firstPosition() : cell.lastPosition(),
                              selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
            RichEdit1->setTextCursor(caret); // comes back here, in a piece
            return;
        }
    }
    m_caretPosition = caret.position();
}

// The first change of a note that held what the editor cannot: the file as it
// was is kept beside it, once, before anything is written over it. What the
// editor only shows otherwise is said too: it is written back as it was read.
void TForm2::NoteModified(bool changed)
{
    if (!changed || (m_notKept.isEmpty() && m_notShown.isEmpty()) || m_notePath.isEmpty())
        return;
    QStringList notices;
    if (!m_notKept.isEmpty()) {
        const QString original = originalPath();
        const QString lost = m_notKept.join(QStringLiteral(", "));
        if (QFileInfo::exists(original) || QFile::copy(m_notePath, original)) {
            notices << QStringLiteral("Not kept in this note: %1. The original is %2")
                           .arg(lost, original);
        } else {
            notices << QStringLiteral(
                           "Not kept in this note: %1. The original could not be kept as %2")
                           .arg(lost, original);
            m_saveAsYouGo = false; // written over only when a switch or the close does it
        }
    }
    if (!m_notShown.isEmpty())
        notices << QStringLiteral("Shown otherwise here, written back as read: %1")
                       .arg(m_notShown.join(QStringLiteral(", ")));
    showNotice(notices.join(QStringLiteral(". ")));
    m_notKept.clear(); // said once
    m_notShown.clear();
}

void TForm2::showNotice(const QString& text)
{
    NoteNotice->setText(text);
    NoteNotice->setToolTip(text);
    NoteNotice->setVisible(!text.isEmpty());
    const int height = text.isEmpty() ? kEditorHeight : kEditorHeight - kNoticeHeight;
    RichEdit1->setGeometry(190, 6, 520, height);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    // Qt lays out a big note on a timer of its own, in steps growing to some
    // 200,000 characters (seconds of a table's rows), while the slices do it.
    if (event->type() == QEvent::Timer && m_laidOutTo >= 0 &&
        watched == RichEdit1->document()->documentLayout())
        return true;
    if (watched == RichEdit1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && (press->modifiers() & Qt::ControlModifier)) {
            const QString link = RichEdit1->anchorAt(press->position().toPoint());
            if (!link.isEmpty() && !link.startsWith(QLatin1Char('#'))) {
                m_platform.shell.openLink(QUrl::fromUserInput(link));
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm2::WriteNote(const QString& path, QString* error) const
{
    const auto write = [&] {
        QSaveFile file(path);
        QString reason;
        bool ok = file.open(QIODevice::WriteOnly);
        if (ok && !RichText::write(RichEdit1->document(), &file, &reason)) {
            file.cancelWriting();
            ok = false;
        }
        ok = ok && commitWhole(file);
        if (!ok)
            *error = fileError(QStringLiteral("Cannot create file "), path,
                               file.error() != QFileDevice::NoError ? file.errorString() : reason);
        return ok;
    };
    Project& project = m_host.project();
    if (!(path == m_notePath ? project.replaceFile(path, write, error) : write()))
        return false;
    project.announceSaved(path);
    return true;
}

void TForm2::ReloadUnlessEdited(const QString& path)
{
    if (path == m_notePath && !isLoadingNote() && !RichEdit1->document()->isModified() &&
        QFileInfo::exists(path))
        ReadNote(path);
    else if (path == statusFilePath() && !m_statusEdited)
        ReadStatusButtons();
}

bool TForm2::ReadNote(const QString& path)
{
    // Taken before the read: a change made while it reads is seen later.
    const FileStamp stamp = FileStamp::of(path);
    if (!LoadNote(path))
        return false;
    m_host.project().sharedFiles().remember(path, stamp);
    return true;
}

QString TForm2::SaveTypedText()
{
    if (isLoadingNote() || !m_saveAsYouGo || !RichEdit1->document()->isModified())
        return {};
    // A note file deleted meanwhile is not made again unasked: a switch or the close asks.
    if (!QFileInfo::exists(m_notePath))
        return {};
    QString error;
    if (WriteNote(m_notePath, &error)) // a failure: the next change tries again, the close asks
        RichEdit1->document()->setModified(false);
    return error;
}

bool TForm2::SaveNote(const QString& path)
{
    NoteSaving->settle();
    QString error;
    if (!WriteNote(path, &error)) {
        m_platform.dialogs.error(error);
        return false;
    }
    RichEdit1->document()->setModified(false);
    return true;
}

SaveAtLeave TForm2::typedNoteSave() const
{
    const QString name = m_notePath.isEmpty() ? windowTitle() : m_noteName;
    return {[this](const QString& file, QString* error) { return WriteNote(file, error); },
            m_notePath.isEmpty() ? notePath() : m_notePath,
            QStringLiteral("the text typed into the note of \"%1\" is lost.").arg(name),
            QStringLiteral("Rich text (*.rtf)"),
            {},
            {}};
}

bool TForm2::LeaveNote()
{
    if (!HasPendingEdits())
        return true;
    NoteSaving->settle(); // the switch writes it, or asks
    // A note file deleted meanwhile is not made again unasked.
    const SaveOutcome outcome = QFileInfo::exists(m_notePath)
                                    ? saveOrAsk(m_platform.dialogs, typedNoteSave())
                                    : askAfterFailedSave(m_platform.dialogs, typedNoteSave(),
                                                         cannotWriteMessage(m_noteName));
    if (!mayLeave(outcome))
        return false;
    RichEdit1->document()->setModified(false);
    return true;
}

QList<SaveAtLeave> TForm2::closingSaves()
{
    QList<SaveAtLeave> saves;
    NoteSaving->settle(); // the close writes it, or asks
    m_typedAtClose = RichEdit1->document()->isModified();
    if (m_typedAtClose) {
        // Typed text is never thrown away unasked: it goes to the note it
        // belongs to, which is made again if its file was deleted meanwhile;
        // when that fails, the user chooses where it goes.
        SaveAtLeave note = typedNoteSave();
        note.done = [this](SaveOutcome) { RichEdit1->document()->setModified(false); };
        saves.append(note);
    }
    if (std::optional<SaveAtLeave> status = statusButtonsSave())
        saves.append(*status);
    return saves;
}

bool TForm2::closeSaved()
{
    m_savesSettled = true;
    const bool closed = close();
    m_savesSettled = false;
    return closed;
}

bool TForm2::FormClose()
{
    const QList<SaveAtLeave> saves = m_savesSettled ? QList<SaveAtLeave>() : closingSaves();
    // An unchanged note is left as it is: rewriting it would only lose what
    // the editor cannot hold of another program's file.
    if (!m_typedAtClose && !QFileInfo::exists(notePath()))
        m_platform.dialogs.message(cannotWriteMessage(windowTitle()));
    return mayLeave(saveAllOrAsk(m_platform.dialogs, saves));
}

void TForm2::closeEvent(QCloseEvent* event)
{
    if (!FormClose()) {
        event->ignore();
        return;
    }
    StopLoading();
    disconnect(qApp, &QGuiApplication::focusWindowChanged, this, &TForm2::FocusWindowChanged);
    if (noteWindowRef() == this)
        noteWindowRef() = nullptr;
    event->accept();
}

// ---- The editor ----

void MoveRTCaretEnd(QTextEdit* editor)
{
    QTextCursor cursor = editor->textCursor();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::End);
    editor->setTextCursor(cursor);
    if (caretColumn(editor) > 1) {
        cursor.insertBlock();
        cursor.movePosition(QTextCursor::End);
        editor->setTextCursor(cursor);
    }
}

QTextCursor AppendLine(QTextEdit* editor, const QString& text)
{
    QTextCursor cursor(editor->document());
    cursor.movePosition(QTextCursor::End);
    const bool lastLineEmpty = cursor.block().length() <= 1;
    if (!lastLineEmpty)
        cursor.insertBlock();
    const int start = cursor.position();
    cursor.insertText(text);
    const int end = cursor.position();
    if (lastLineEmpty)
        cursor.insertBlock();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor;
}

// ---- The one note window ----

TForm2* NoteWindow()
{
    return noteWindowRef();
}

void OpenNoteWindow(BoardHost& host, Platform& platform)
{
    const ObjectLabel* label = host.currentLabel();
    if (!label)
        return;
    const QString name = label->caption();
    if (ObjectName::refused(name, platform.dialogs))
        return;
    TForm2* window = noteWindowRef();
    if (!window) {
        window = new TForm2(host, platform);
        noteWindowRef() = window;
    }
    const ObjectShape* shape = host.currentShape();
    window->ShowFor(name, shape ? shape->brushColor() : window->color());
}

bool CloseNoteWindow()
{
    TForm2* window = noteWindowRef();
    return !window || window->close();
}

QList<SaveAtLeave> NoteWindowSaves()
{
    TForm2* window = noteWindowRef();
    return window ? window->closingSaves() : QList<SaveAtLeave>();
}

void CloseSavedNoteWindow()
{
    if (TForm2* window = noteWindowRef())
        window->closeSaved();
}
