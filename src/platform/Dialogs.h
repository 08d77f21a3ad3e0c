#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;

// The title of message boxes, input boxes and the object name dialog, which
// have none. Qt shows the application's name in place of an empty title; a
// blank leaves the title bar empty.
inline const QString NoTitle = QStringLiteral(" ");

// What the user chose at a save that failed while a window closes or the
// project switches.
enum class FailedSaveChoice {
    TryAgain,      // write the same file again
    SaveElsewhere, // write what is unsaved to FailedSaveAnswer::elsewhere
    LeaveUnsaved,  // go on without saving: what is unsaved is lost
    Stay,          // cancel: the close or switch stops, nothing is lost
};

struct FailedSaveAnswer {
    FailedSaveChoice choice = FailedSaveChoice::Stay;
    QString elsewhere; // the chosen file, for SaveElsewhere
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
    // A save failed at a close or a switch: shows error and what leaving
    // without saving loses (lost, a plain sentence), and offers to try again,
    // to save elsewhere (a file chooser starting at suggestedFile, showing
    // filter), to close without saving, or to cancel.
    virtual FailedSaveAnswer failedSave(const QString& error, const QString& lost,
                                        const QString& suggestedFile, const QString& filter) = 0;
};

// One save that runs when a window closes or the project switches.
struct SaveAtLeave {
    // Writes what is unsaved to a file; false with the reason in *error.
    std::function<bool(const QString& path, QString* error)> writeTo;
    QString path;   // the file it belongs in
    QString lost;   // what leaving without saving loses, said plainly
    QString filter; // for the save-elsewhere chooser
};

enum class SaveOutcome { Saved, SavedElsewhere, LeftUnsaved, Stayed };

// Writes to save.path; while that fails, asks through failedSave until it is
// written somewhere, the user leaves it unsaved, or the user stays. A failed
// write elsewhere asks again.
SaveOutcome saveOrAsk(Dialogs& dialogs, const SaveAtLeave& save);
// The same after a save that already failed with error.
SaveOutcome askAfterFailedSave(Dialogs& dialogs, const SaveAtLeave& save, QString error);

// True when the close or switch may go on after the outcome.
inline bool mayLeave(SaveOutcome outcome)
{
    return outcome != SaveOutcome::Stayed;
}
