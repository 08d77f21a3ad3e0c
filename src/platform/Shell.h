#pragma once

#include <QString>
#include <QObject>
#include <QUrl>
#include <memory>

// Opens a document or folder with the desktop's default program, and a link
// with the desktop's program for its kind (a web page with the browser).
class Shell {
public:
    virtual ~Shell() = default;
    // False when no program could be started to open path.
    virtual bool open(const QString& path) = 0;
    virtual bool openLink(const QUrl& link) = 0;
};

// The message for a document, folder or link that nothing could open.
QString nothingOpensMessage(const QString& what);

class DesktopShell : public Shell {
public:
    DesktopShell();
    // Lets go of the openers still running; the programs they started stay.
    ~DesktopShell() override;
    bool open(const QString& path) override;
    bool openLink(const QUrl& link) override;

private:
    // Owns each opener that is still running when open() returns, until it ends.
    std::unique_ptr<QObject> m_openers;
};
