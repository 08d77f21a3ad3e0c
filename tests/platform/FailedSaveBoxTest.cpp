#include "platform/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const FailedFile note{QStringLiteral("Cannot create file \"/gone/Pump.rtf\"."),
                      QStringLiteral("the text typed is lost."), QStringLiteral("/gone/Pump.rtf"),
                      QStringLiteral("*.rtf")};

// What a box showed.
struct Shown {
    QString text;
    QString details;
    QStringList buttons;
};

// Shows the real box for files and presses the button whose text is
// buttonText (Cancel for any other text); a folder chooser that opens then is
// given folder. Returns the answer and what the box showed.
std::pair<FailedSaveAnswer, Shown> answerBox(const QList<FailedFile>& files,
                                             const QString& buttonText, const QString& folder = {})
{
    Shown shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown.text = box->text();
        shown.details = box->detailedText();
        QAbstractButton* pressed = box->button(QMessageBox::Cancel);
        for (QAbstractButton* button : box->buttons()) {
            shown.buttons << button->text();
            if (button->text() == buttonText)
                pressed = button;
        }
        if (!folder.isEmpty()) {
            QTimer::singleShot(0, [&] {
                if (auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    EXPECT_EQ(chooser->fileMode(), QFileDialog::Directory)
                        << "several files go into a folder";
                    chooser->setDirectory(folder);
                    chooser->selectFile(folder);
                    static_cast<QDialog*>(chooser)
                        ->accept(); // QFileDialog::accept, which takes the selection
                }
            });
        }
        pressed->click();
    });
    QtDialogs dialogs;
    const FailedSaveAnswer answer = dialogs.failedSave(files);
    return {answer, shown};
}

} // namespace

TEST(FailedSaveBox, SaysWhatFailedAndWhatIsLostAndAnswersEachButton)
{
    const auto [again, shown] = answerBox({note}, QStringLiteral("Try again"));
    EXPECT_EQ(again.choice, FailedSaveChoice::TryAgain);
    EXPECT_EQ(shown.text, "Cannot create file \"/gone/Pump.rtf\".\n\nIf you close without saving, "
                          "the text typed is lost.");
    EXPECT_EQ(shown.buttons.size(), 4) << shown.buttons.join(", ").toStdString();
    EXPECT_EQ(answerBox({note}, QStringLiteral("Close without saving")).first.choice,
              FailedSaveChoice::LeaveUnsaved);
    EXPECT_EQ(answerBox({note}, QStringLiteral("no such button")).first.choice,
              FailedSaveChoice::Stay);
}

TEST(FailedSaveBox, ListsEveryFileInOneBoxAndSavesThemIntoAFolder)
{
    const FailedFile board{
        QStringLiteral("Cannot write /gone/fStreamShape.txt: No space left on device"),
        QStringLiteral("the changes to the objects are lost."),
        QStringLiteral("/gone/fStreamShape.txt"), QStringLiteral("*.txt")};
    const auto [again, shown] = answerBox({note, board}, QStringLiteral("Try again"));
    EXPECT_EQ(again.choice, FailedSaveChoice::TryAgain);
    EXPECT_EQ(
        shown.text,
        "2 files could not be written.\n\n"
        "Cannot create file \"/gone/Pump.rtf\".\nIf you close without saving, the text typed is "
        "lost.\n\n"
        "Cannot write /gone/fStreamShape.txt: No space left on device\n"
        "If you close without saving, the changes to the objects are lost.\n\n"
        "\"Save elsewhere\" writes each of them, under its own name, into a folder you choose.");
    EXPECT_TRUE(shown.details.isEmpty());
    EXPECT_EQ(answerBox({note, board}, QStringLiteral("Close without saving")).first.choice,
              FailedSaveChoice::LeaveUnsaved);

    QTemporaryDir rescue;
    const auto [elsewhere, unused] =
        answerBox({note, board}, QStringLiteral("Save elsewhere..."), rescue.path());
    EXPECT_EQ(elsewhere.choice, FailedSaveChoice::SaveElsewhere);
    EXPECT_EQ(elsewhere.elsewhere, QDir::toNativeSeparators(rescue.path()));

    // Many files: the first few in the box, every one in the details.
    QList<FailedFile> many;
    for (int n = 1; n <= 9; ++n)
        many.append({QStringLiteral("Cannot write /gone/T%1table.txt").arg(n),
                     QStringLiteral("table %1 is lost.").arg(n),
                     QStringLiteral("/gone/T%1table.txt").arg(n), QStringLiteral("*.txt")});
    const Shown crowded = answerBox(many, QStringLiteral("no such button")).second;
    EXPECT_TRUE(crowded.text.startsWith("9 files could not be written."))
        << crowded.text.toStdString();
    EXPECT_TRUE(crowded.text.contains("T6table.txt") && !crowded.text.contains("T7table.txt"));
    EXPECT_TRUE(crowded.text.contains("... and 3 more (see the details)."));
    for (int n = 1; n <= 9; ++n)
        EXPECT_TRUE(crowded.details.contains(QStringLiteral("table %1 is lost.").arg(n))) << n;
}
