#pragma once

#include <QString>

// Opens a document or folder with the desktop's default program.
class Shell {
public:
    virtual ~Shell() = default;
    // False when no program could be started to open path.
    virtual bool open(const QString& path) = 0;
};

class DesktopShell : public Shell {
public:
    bool open(const QString& path) override;
};
