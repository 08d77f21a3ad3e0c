#pragma once

#include <QWidget>

class Dialogs;
class QTextBrowser;
class QUrl;
class Shell;

// The help shown in a window of the program's own, for a desktop that has no
// program to open it: links to its HTML pages are followed here, every other
// link (the web, mail, other files) is handed to the desktop, and a link
// nothing could open is named in a message.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(Shell& shell, Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the help page file and brings the window to the front.
    void showPage(const QString& file);
    QTextBrowser* browser() const { return m_browser; }

private:
    void follow(const QUrl& link);

    Shell& m_shell;
    Dialogs& m_dialogs;
    QTextBrowser* m_browser;
};
