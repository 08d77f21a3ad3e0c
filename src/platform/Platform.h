#pragma once

#include <QString>
#include <memory>

class Clock;
class Desktop;
class Dialogs;
class Notifications;
class Pointer;
class Processes;
class Shell;
class Sound;

// The operating-system services the program relies on, chosen once at
// start-up: the real ones in the program, doubles in tests.
struct Platform {
    Dialogs& dialogs;
    Desktop& desktop;
    Clock& clock;
    Processes& processes;
    Shell& shell;
    Pointer& pointer;
    Sound& sound;
    Notifications& notifications;
    // The folder of the program file, with a trailing separator.
    QString programFolder;
    // The program file name the single-instance rule compares with.
    QString programFileName;
    // Where the program keeps its own settings file, with a trailing separator:
    // the program folder, or the user's configuration folder when the program
    // folder cannot be written (an installed program).
    QString settingsFolder;
    // The user's own settings (QSettings in INI form), kept neither beside the
    // program nor in a project: the user's configuration folder.
    QString userSettingsFile;
};

// The settings folder for a program in programFolder (with a trailing
// separator): that folder when it can be written, else the user's
// configuration folder for the application, made if missing.
QString settingsFolderFor(const QString& programFolder);

// Owns the real services.
class SystemPlatform {
public:
    SystemPlatform();
    ~SystemPlatform();
    Platform& platform() { return *m_platform; }

private:
    struct Services;
    std::unique_ptr<Services> m_services;
    std::unique_ptr<Platform> m_platform;
};
