#pragma once

#include <QString>

// Counts the running processes of a program file.
class Processes {
public:
    virtual ~Processes() = default;
    // Processes whose program file name (folder removed) equals programFileName,
    // ignoring case; this process included.
    virtual int countRunning(const QString& programFileName) const = 0;
};

class SystemProcesses : public Processes {
public:
    int countRunning(const QString& programFileName) const override;
};
