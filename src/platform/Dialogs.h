#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QPrinter;

// The title of message boxes, input boxes and the object name dialog, which
// have none. Qt shows the application's name in place of an empty title; a
// blank leaves the title bar empty.
inline const QString NoTitle = QStringLiteral(" ");

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
};
