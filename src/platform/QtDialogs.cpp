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
    const QMessageBox::Icon icon = look == Look::Information ? QMessageBox::Information : QMessageBox::Question;
    QMessageBox box(icon, NoTitle, text, QMessageBox::Yes | QMessageBox::No,
                    owner());
    return box.exec() == QMessageBox::Yes;
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

FailedSaveAnswer QtDialogs::failedSave(const QString& error, const QString& lost,
                                       const QString& suggestedFile, const QString& filter)
{
    const QString text = error + QStringLiteral("\n\nIf you close without saving, ") + lost;
    for (;;) {
        QMessageBox box(QMessageBox::Warning, NoTitle, text, QMessageBox::NoButton, owner());
        QPushButton* tryAgain = box.addButton(QMessageBox::Retry);
        tryAgain->setText(QApplication::translate("QtDialogs", "Try again"));
        QPushButton* elsewhere = box.addButton(
            QApplication::translate("QtDialogs", "Save elsewhere..."), QMessageBox::ActionRole);
        QPushButton* leave = box.addButton(
            QApplication::translate("QtDialogs", "Close without saving"), QMessageBox::DestructiveRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(tryAgain);
        box.exec();
        if (box.clickedButton() == tryAgain)
            return {FailedSaveChoice::TryAgain, {}};
        if (box.clickedButton() == leave)
            return {FailedSaveChoice::LeaveUnsaved, {}};
        if (box.clickedButton() != elsewhere)
            return {FailedSaveChoice::Stay, {}};
        const QString file = QFileDialog::getSaveFileName(owner(), QString(), suggestedFile, filter);
        if (!file.isEmpty())
            return {FailedSaveChoice::SaveElsewhere, QDir::toNativeSeparators(file)};
        // A cancelled chooser returns to the choices.
    }
}
