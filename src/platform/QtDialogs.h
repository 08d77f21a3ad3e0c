#pragma once

#include "platform/Dialogs.h"

// The real boxes and choosers, parented to the application's active window.
class QtDialogs : public Dialogs {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text, Look look) override;
    int choose(const QString& text, const QStringList& choices) override;
    std::optional<QString> input(const QString& prompt, const QString& initial) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    QString choosePicture() override;
    QString chooseSaveFile(const QString& title, const QString& filters) override;
    bool choosePrinter(QPrinter& printer) override;
    FailedSaveAnswer failedSave(const QList<FailedFile>& files) override;

    // What the failed-save box says; *details holds every file when the box
    // shows only the first few.
    static QString failedSaveText(const QList<FailedFile>& files, QString* details);
};
