// What the main window does in a project folder shared with other copies of the
// program: who else has it open, the merge of the board files, the other
// copies' changes coming in, and read-only opening.
#include "main/Body.h"

#include "alarms/fAlarmSettingsUnit.h"
#include "board/Board.h"
#include "formats/KeepAside.h"
#include "notes/Obiect.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "platform/SaveSoon.h"
#include "project/BoardMerge.h"
#include "project/BoardRecords.h"
#include "project/FolderLock.h"
#include "project/Presence.h"
#include "tables/ObjectTableU.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QStatusBar>

// The time each merge of the other copies' board files took, for whoever
// turns it on (QT_LOGGING_RULES="vexorin.sharing.info=true"); off otherwise.
Q_LOGGING_CATEGORY(sharingLog, "vexorin.sharing", QtWarningMsg)

void TForm1::connectSharing()
{
    SharedFiles& shared = m_project.sharedFiles();
    shared.now = [this] { return m_platform.clock.now(); };
    shared.otherUser = [this] {
        return m_project.isOpen() ? Presence::otherUser(m_project.folder()) : QString();
    };
    connect(&shared, &SharedFiles::changedOnDisk, this, &TForm1::FileChangedByOthers);
    connect(&shared, &SharedFiles::notice, this, &TForm1::ShowNotice);
}

void TForm1::ShowNotice(const QString& text)
{
    m_notice = text;
    QStatusBar* line = statusBar();
    line->setObjectName(QStringLiteral("StatusBar1"));
    line->showMessage(text);
}

QString TForm1::ownTitle() const
{
    return m_project.isReadOnly() ? m_project.caption() + QStringLiteral("  (read-only)")
                                  : m_project.caption();
}

std::optional<bool> TForm1::AskAboutOtherCopies(const QString& folder)
{
    m_othersAsked = false;
    const QList<Presence::Holder> holders = Presence::others(folder);
    if (holders.isEmpty())
        return false;
    QStringList who;
    const QLocale locale = QLocale::system();
    for (const Presence::Holder& holder : holders)
        who.append(QStringLiteral("%1 on %2 since %3")
                       .arg(holder.user, holder.host,
                            locale.toString(holder.since.toLocalTime(), QLocale::ShortFormat)));
    const int choice = m_platform.dialogs.choose(
        QStringLiteral("This project is open in another copy of Vexorin: %1.\n"
                       "Open it anyway: the changes of both are merged, and where both changed "
                       "the same you are told. Open it read-only: nothing is written.")
            .arg(who.join(QStringLiteral(", "))),
        {QStringLiteral("Open anyway"), QStringLiteral("Open read-only"),
         QStringLiteral("Cancel")});
    if (choice != 0 && choice != 1)
        return std::nullopt;
    // The question replaces the one-copy rule for this project.
    m_othersAsked = true;
    return choice == 1;
}

void TForm1::EnterProject()
{
    setWindowTitle(ownTitle());
    // A reader holds nothing others must wait for, and writes nothing.
    if (!m_project.isReadOnly())
        m_presence.claim(m_project.folder(), m_platform.clock.now());
}

void TForm1::LeaveProject()
{
    m_presence.release();
    m_project.sharedFiles().clear();
}

void TForm1::RememberBoardFiles(BoardRecords::FileReader& shapes, BoardRecords::FileReader& labels)
{
    SharedFiles& shared = m_project.sharedFiles();
    shared.remember(boardFilePath(BoardElement::Kind::Shape), shapes.stamp());
    shared.remember(boardFilePath(BoardElement::Kind::Caption), labels.stamp());
    // The board was just read from them: it is what they hold. Its elements
    // were digested as they were read; pairing them into objects takes a few
    // milliseconds even at 100,000 objects, and done here, the memory of the
    // digests is free again before the board is first painted.
    setBoardBase(BoardDigest::of(shapes.takeDigests(), labels.takeDigests()));
}

void TForm1::takeBoardAsBase()
{
    // The board's values are taken here and hashed on a worker, off the way
    // of the close. The values go once hashed: the task itself lives on
    // until its result is taken.
    const int dpi = m_platform.desktop.dotsPerInch();
    setBoardBase({});
    m_boardBaseMade = std::async(
        std::launch::async,
        [shapes = BoardRecords::fileValues(*m_boardModel, BoardElement::Kind::Shape, dpi),
         labels =
             BoardRecords::fileValues(*m_boardModel, BoardElement::Kind::Caption, dpi)]() mutable {
            return BoardDigest::of(std::exchange(shapes, {}), std::exchange(labels, {}));
        });
}

BoardDigest& TForm1::boardBase()
{
    if (m_boardBaseMade.valid())
        m_boardBase = m_boardBaseMade.get();
    return m_boardBase;
}

void TForm1::setBoardBase(BoardDigest base)
{
    // One made on a worker is older than this one.
    if (m_boardBaseMade.valid())
        m_boardBaseMade.wait();
    m_boardBaseMade = {};
    m_boardBase = std::move(base);
}

bool TForm1::boardFileHolds(BoardElement::Kind kind)
{
    const std::optional<FileStamp> known = m_project.sharedFiles().known(boardFilePath(kind));
    QByteArray bytes;
    QString error;
    return known && encodeBoardFile(kind, &bytes, &error) && known->holds(bytes);
}

bool TForm1::MergeBoardChangesOfOthers()
{
    if (!m_project.isOpen())
        return false;
    // This copy's own write is not another's change.
    EndBoardWrite();
    SharedFiles& shared = m_project.sharedFiles();
    const QString shapes = boardFilePath(BoardElement::Kind::Shape);
    const QString labels = boardFilePath(BoardElement::Kind::Caption);
    if (!shared.changedSince(shapes) && !shared.changedSince(labels))
        return false;
    if (!m_dragStart.isEmpty()) {
        // Nothing moves under the pointer: the merge waits for the drop.
        m_mergeAfterDrag = true;
        return false;
    }
    // Both files as one copy wrote them; a reader writes nothing, not even the lock.
    std::optional<FolderLock> lock;
    if (!m_project.isReadOnly())
        lock.emplace(m_project.folder());
    // From the lock on: the wait for another copy's write is not counted in the merge.
    QElapsedTimer took;
    took.start();
    QByteArray theirShapes;
    QByteArray theirLabels;
    const FileStamp shapeStamp = FileStamp::of(shapes, &theirShapes);
    const FileStamp labelStamp = FileStamp::of(labels, &theirLabels);
    // The program writes both files whole and never removes one: a file gone
    // is a folder gone away (a share), not a board emptied.
    if (!shapeStamp.exists || !labelStamp.exists)
        return false;
    const int dpi = m_platform.desktop.dotsPerInch();
    BoardModel theirs;
    QString error;
    QStringList damaged;
    if (!BoardRecords::loadShapeBytes(theirs, theirShapes, shapes, &error))
        damaged.append(shapes);
    if (!BoardRecords::loadLabelBytes(theirs, theirLabels, labels, dpi, &error))
        damaged.append(labels);
    for (const QString& path : std::as_const(damaged)) {
        // What could not be read of the other copy's file stays beside it.
        QString copyError;
        const QString copy = keepAside(path, &copyError);
        ShowNotice(error + QLatin1Char(' ') + keptAsideNote(copy, copyError));
    }

    BoardMerge::Outcome outcome = BoardMerge::merge(boardBase(), *m_boardModel, theirs);
    setBoardBase(std::move(outcome.theirs));
    shared.remember(shapes, shapeStamp);
    shared.remember(labels, labelStamp);
    if (!outcome.keptOurs.isEmpty())
        ShowNotice(QStringLiteral("Changed here and by another copy at the same time: %1. "
                                  "Yours are kept.")
                       .arg(outcome.keptOurs.join(QStringLiteral(", "))));
    else if (outcome.takenFromTheirs > 0 && damaged.isEmpty())
        ShowNotice(QStringLiteral("Changes of another copy to %1 object(s) are on the board.")
                       .arg(outcome.takenFromTheirs));
    if (outcome.takenFromTheirs > 0)
        IndexProjectObjects();
    // What the board holds beyond the other copy's files is written soon.
    if (!m_project.isReadOnly() && (!boardFileHolds(BoardElement::Kind::Shape) ||
                                    !boardFileHolds(BoardElement::Kind::Caption)))
        BoardSaving->changed();
    qCInfo(sharingLog, "board merge: %lld ms, %d objects", qint64(took.elapsed()),
           int(m_boardModel->labelCount()));
    return true;
}

void TForm1::FileChangedByOthers(const QString& path)
{
    if (path == boardFilePath(BoardElement::Kind::Shape) ||
        path == boardFilePath(BoardElement::Kind::Caption)) {
        // While this copy writes them, the change seen may be its own: the
        // next look, after the write, tells.
        if (!m_boardWriteRunning)
            MergeBoardChangesOfOthers();
        return;
    }
    if (path == m_project.file(ProjectFiles::Alarms)) {
        if (m_windows.alarmSettings)
            m_windows.alarmSettings->ReloadUnlessEdited();
        return;
    }
    if (TForm2* note = NoteWindow())
        note->ReloadUnlessEdited(path);
    for (TObjectTable* table : TObjectTable::windows())
        table->ReloadUnlessEdited(path);
}
