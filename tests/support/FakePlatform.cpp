#include "support/FakePlatform.h"

#include <QDir>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {

template <typename T> std::optional<T> takeFront(QList<std::optional<T>>& answers)
{
    return answers.isEmpty() ? std::nullopt : answers.takeFirst();
}

} // namespace

void TestDialogs::message(const QString& text)
{
    messages.append(text);
}

void TestDialogs::error(const QString& text)
{
    errors.append(text);
}

bool TestDialogs::confirm(const QString& text, Look look)
{
    questions.append(text);
    questionLooks.append(look);
    if (confirmAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    return confirmAnswers.takeFirst();
}

int TestDialogs::choose(const QString& text, const QStringList& choices)
{
    choiceTexts.append(text);
    choiceLists.append(choices);
    if (chooseAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected choice box: " << text.toStdString();
        return -1;
    }
    return chooseAnswers.takeFirst();
}

std::optional<QString> TestDialogs::input(const QString& prompt, const QString& initial)
{
    prompts.append(prompt);
    initialTexts.append(initial);
    if (inputAnswers.isEmpty())
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
    return takeFront(inputAnswers);
}

std::optional<QColor> TestDialogs::chooseColor(const QColor&)
{
    if (colorAnswers.isEmpty())
        ADD_FAILURE() << "unexpected colour chooser";
    return takeFront(colorAnswers);
}

QString TestDialogs::chooseFolder(const QString& title, const QString& initialFolder)
{
    folderTitles.append(title);
    initialFolders.append(initialFolder);
    if (folderAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected folder chooser: " << title.toStdString();
        return {};
    }
    return folderAnswers.takeFirst();
}

QString TestDialogs::choosePicture()
{
    if (pictureAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected picture chooser";
        return {};
    }
    return pictureAnswers.takeFirst();
}

QString TestDialogs::chooseSaveFile(const QString& title, const QString& filters)
{
    saveFileTitles.append(title);
    saveFileFilters.append(filters);
    if (saveFileAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected save-file chooser: " << title.toStdString();
        return {};
    }
    return saveFileAnswers.takeFirst();
}

bool TestDialogs::choosePrinter(QPrinter& printer)
{
    if (printAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
    const QString pdfFile = printAnswers.takeFirst();
    if (pdfFile.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
    return true;
}

FailedSaveAnswer TestDialogs::failedSave(const QList<FailedFile>& files)
{
    const FailedFile first = files.value(0);
    failedSaves.append({first.error, first.lost, first.path, first.filter, files});
    if (failedSaveAnswerer)
        return failedSaveAnswerer(failedSaves.last());
    if (failedSaveAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected failed save: " << first.error.toStdString();
        return {FailedSaveChoice::Stay, {}};
    }
    return failedSaveAnswers.takeFirst();
}

FakePlatform::FakePlatform()
    : platform{dialogs,
               desktop,
               clock,
               processes,
               shell,
               pointer,
               sound,
               notifications,
               QDir::toNativeSeparators(programDir.path() + '/'),
               QStringLiteral("Vexorin"),
               QDir::toNativeSeparators(programDir.path() + '/'),
               programDir.filePath(QStringLiteral("user-settings.ini"))}
{
}
