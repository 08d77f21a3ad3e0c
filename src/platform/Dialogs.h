#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;

// The title of message boxes, input boxes and the object name dialog, which
// have none. Qt shows the application's name in place of an empty title; a
// blank leaves the title bar empty.
inline const QString NoTitle = QStringLiteral(" ");

// What the user chose at saves that failed while a window closes or the
// project switches.
enum class FailedSaveChoice {
    TryAgain,      // write the same files again
    SaveElsewhere, // write what is unsaved to FailedSaveAnswer::elsewhere
    LeaveUnsaved,  // go on without saving: what is unsaved is lost
    Stay,          // cancel: the close or switch stops, nothing is lost
};

struct FailedSaveAnswer {
    FailedSaveChoice choice = FailedSaveChoice::Stay;
    // For SaveElsewhere: the chosen file when one file failed; the chosen
    // folder when several did, each then written there under its own name.
    QString elsewhere;
};

// One file that a close or a switch could not write.
struct FailedFile {
    QString error;  // what went wrong, naming the file
    QString lost;   // what leaving without saving loses, a plain sentence
    QString path;   // the file it belongs in, with native separators
    QString filter; // for the save-elsewhere chooser
};

// Every message box, input box and chooser of the program goes through this
// interface, so tests can answer them without a modal loop.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Information box with one OK button.
    virtual void message(const QString& text) = 0;
    // Error box with one OK button.
    virtual void error(const QString& text) = 0;
    // The icon a Yes/No box shows.
    enum class Look { Question, Information };
    // Box with Yes and No, a question icon unless told otherwise; true for Yes.
    virtual bool confirm(const QString& text, Look look = Look::Question) = 0;
    // Box with one button per choice, the first the default and the last the
    // one Escape presses; the index of the one pressed, or -1 when the box
    // was closed without a choice.
    virtual int choose(const QString& text, const QStringList& choices) = 0;
    // Input box with no title; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& initial) = 0;
    // Colour chooser; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    // Folder chooser; empty when cancelled. initialFolder may be empty.
    virtual QString chooseFolder(const QString& title, const QString& initialFolder) = 0;
    // Open-picture chooser; empty when cancelled.
    virtual QString choosePicture() = 0;
    // Save-file chooser offering the name filters given ("PNG picture (*.png)"
    // and so on, separated by ";;"); a name typed without a suffix gets the one
    // of the chosen filter. Empty when cancelled.
    virtual QString chooseSaveFile(const QString& title, const QString& filters) = 0;
    // The system print dialog, which sets up printer; false when cancelled.
    virtual bool choosePrinter(QPrinter& printer) = 0;
    // Saves failed at a close or a switch: one box shows each file's error and
    // what leaving without saving loses, and offers to try again, to save
    // elsewhere, to close without saving, or to cancel. Saving elsewhere asks
    // for a file (starting at the file's path, showing its filter) when one
    // file failed, for a folder when several did.
    virtual FailedSaveAnswer failedSave(const QList<FailedFile>& files) = 0;
};

enum class SaveOutcome { Saved, SavedElsewhere, LeftUnsaved, Stayed };

// One save that runs when a window closes or the project switches.
struct SaveAtLeave {
    // Writes what is unsaved to a file; false with the reason in *error.
    std::function<bool(const QString& path, QString* error)> writeTo;
    QString path;   // the file it belongs in
    QString lost;   // what leaving without saving loses, said plainly
    QString filter; // for the save-elsewhere chooser
    // When set, the save already failed so: it is not tried before the box.
    QString failedWith;
    // Called once the save is settled (written, written elsewhere or left
    // unsaved); not when the user stayed with it unwritten.
    std::function<void(SaveOutcome)> done;
};

// Writes every save to its path, then asks once about all that failed, again
// and again for those still failing, until each is written somewhere, the
// user leaves them unsaved, or the user stays. Saved elsewhere into a folder,
// each file keeps its own name; a second file of the same name gets " (2)"
// before its suffix, and files the folder already holds are replaced only
// when the user agrees. Returns each save's outcome, in order.
QList<SaveOutcome> saveAllOrAsk(Dialogs& dialogs, const QList<SaveAtLeave>& saves);
// One save: writes it, asking while it fails.
SaveOutcome saveOrAsk(Dialogs& dialogs, const SaveAtLeave& save);
// The same after a save that already failed with error.
SaveOutcome askAfterFailedSave(Dialogs& dialogs, SaveAtLeave save, QString error);

// True when the close or switch may go on after the outcomes.
inline bool mayLeave(SaveOutcome outcome)
{
    return outcome != SaveOutcome::Stayed;
}
inline bool mayLeave(const QList<SaveOutcome>& outcomes)
{
    return !outcomes.contains(SaveOutcome::Stayed);
}
