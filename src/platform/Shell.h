#pragma once

#include <QString>
#include <QUrl>

// Opens a document or folder with the desktop's default program, and a link
// with the desktop's program for its kind (a web page with the browser).
class Shell {
public:
    virtual ~Shell() = default;
    // False when no program could be started to open path.
    virtual bool open(const QString& path) = 0;
    virtual bool openLink(const QUrl& link) = 0;
};

class DesktopShell : public Shell {
public:
    bool open(const QString& path) override;
    bool openLink(const QUrl& link) override;
};
