#pragma once

#include <QWidget>

class QTextBrowser;
class QUrl;
class Shell;

// The help shown in a window of the program's own, for a desktop that has no
// program to open it: links within the help are followed here, links to the
// web and mail are handed to the desktop.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(Shell& shell, QWidget* parent = nullptr);

    // Shows the help page file and brings the window to the front.
    void showPage(const QString& file);
    QTextBrowser* browser() const { return m_browser; }

private:
    void follow(const QUrl& link);

    Shell& m_shell;
    QTextBrowser* m_browser;
};
