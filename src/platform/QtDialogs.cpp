#include "platform/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>

namespace {

QWidget* owner()
{
    return QApplication::activeWindow();
}

} // namespace

void QtDialogs::message(const QString& text)
{
    QMessageBox::information(owner(), NoTitle, text);
}

void QtDialogs::error(const QString& text)
{
    QMessageBox::critical(owner(), NoTitle, text);
}

bool QtDialogs::confirm(const QString& text, Look look)
{
    const QMessageBox::Icon icon =
        look == Look::Information ? QMessageBox::Information : QMessageBox::Question;
    QMessageBox box(icon, NoTitle, text, QMessageBox::Yes | QMessageBox::No, owner());
    return box.exec() == QMessageBox::Yes;
}

int QtDialogs::choose(const QString& text, const QStringList& choices)
{
    QMessageBox box(QMessageBox::Question, NoTitle, text, QMessageBox::NoButton, owner());
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons.append(box.addButton(choice, buttons.isEmpty() ? QMessageBox::AcceptRole
                                                               : QMessageBox::ActionRole));
    if (!buttons.isEmpty()) {
        box.setDefaultButton(static_cast<QPushButton*>(buttons.first()));
        box.setEscapeButton(buttons.last());
    }
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& initial)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner(), NoTitle, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QColor> QtDialogs::chooseColor(const QColor& initial)
{
    const QColor color = QColorDialog::getColor(initial, owner());
    if (!color.isValid())
        return std::nullopt;
    return color;
}

QString QtDialogs::chooseFolder(const QString& title, const QString& initialFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(owner(), title, initialFolder);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(QDir::cleanPath(folder));
}

QString QtDialogs::choosePicture()
{
    const QString filter = QApplication::translate(
        "QtDialogs", "Bitmaps (*.bmp);;Pictures (*.bmp *.png *.jpg *.jpeg *.gif);;All files (*)");
    const QString file = QFileDialog::getOpenFileName(owner(), QString(), QString(), filter);
    return file.isEmpty() ? QString() : QDir::toNativeSeparators(file);
}

QString QtDialogs::chooseSaveFile(const QString& title, const QString& filters)
{
    QString chosenFilter;
    QString file = QFileDialog::getSaveFileName(owner(), title, QString(), filters, &chosenFilter);
    if (file.isEmpty())
        return {};
    static const QRegularExpression firstSuffix(QStringLiteral("\\*(\\.[^ )]+)"));
    const QRegularExpressionMatch suffix = firstSuffix.match(chosenFilter);
    if (QFileInfo(file).suffix().isEmpty() && suffix.hasMatch())
        file += suffix.captured(1);
    return QDir::toNativeSeparators(file);
}

bool QtDialogs::choosePrinter(QPrinter& printer)
{
    QPrintDialog dialog(&printer, owner());
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// The box's text: one file's error and loss; or, for several, each file's,
// the first few in the box and every one under its details.
constexpr int FilesShownInTheBox = 6;

QString failedFileText(const FailedFile& file)
{
    return file.error + QStringLiteral("\nIf you close without saving, ") + file.lost;
}

} // namespace

QString QtDialogs::failedSaveText(const QList<FailedFile>& files, QString* details)
{
    details->clear();
    if (files.size() == 1)
        return files[0].error + QStringLiteral("\n\nIf you close without saving, ") + files[0].lost;
    QStringList shown;
    QStringList all;
    for (const FailedFile& file : files) {
        all.append(failedFileText(file));
        if (shown.size() < FilesShownInTheBox)
            shown.append(all.last());
    }
    QString text = QStringLiteral("%1 files could not be written.\n\n").arg(files.size()) +
                   shown.join(QStringLiteral("\n\n"));
    if (files.size() > shown.size()) {
        text += QStringLiteral("\n\n... and %1 more (see the details).")
                    .arg(files.size() - shown.size());
        *details = all.join(QStringLiteral("\n\n"));
    }
    return text + QStringLiteral("\n\n\"Save elsewhere\" writes each of them, under its own name, "
                                 "into a folder you choose.");
}

FailedSaveAnswer QtDialogs::failedSave(const QList<FailedFile>& files)
{
    QString details;
    const QString text = failedSaveText(files, &details);
    for (;;) {
        QMessageBox box(QMessageBox::Warning, NoTitle, text, QMessageBox::NoButton, owner());
        if (!details.isEmpty())
            box.setDetailedText(details);
        QPushButton* tryAgain = box.addButton(QMessageBox::Retry);
        tryAgain->setText(QApplication::translate("QtDialogs", "Try again"));
        QPushButton* elsewhere = box.addButton(
            QApplication::translate("QtDialogs", "Save elsewhere..."), QMessageBox::ActionRole);
        QPushButton* leave =
            box.addButton(QApplication::translate("QtDialogs", "Close without saving"),
                          QMessageBox::DestructiveRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(tryAgain);
        box.exec();
        if (box.clickedButton() == tryAgain)
            return {FailedSaveChoice::TryAgain, {}};
        if (box.clickedButton() == leave)
            return {FailedSaveChoice::LeaveUnsaved, {}};
        if (box.clickedButton() != elsewhere)
            return {FailedSaveChoice::Stay, {}};
        const QString chosen =
            files.size() == 1
                ? QFileDialog::getSaveFileName(owner(), QString(), files[0].path, files[0].filter)
                : QFileDialog::getExistingDirectory(
                      owner(), QApplication::translate("QtDialogs", "Save the files into"),
                      QFileInfo(files[0].path).absolutePath());
        if (!chosen.isEmpty())
            return {FailedSaveChoice::SaveElsewhere, QDir::toNativeSeparators(chosen)};
        // A cancelled chooser returns to the choices.
    }
}
