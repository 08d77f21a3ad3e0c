#include "platform/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Shows the real box and presses the button whose text is buttonText (Cancel
// for any other text); returns the answer and what the box said.
std::pair<FailedSaveAnswer, QString> answerBox(const QString& buttonText)
{
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = box->text();
        QAbstractButton* pressed = box->button(QMessageBox::Cancel);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == buttonText)
                pressed = button;
        }
        pressed->click();
    });
    QtDialogs dialogs;
    const FailedSaveAnswer answer = dialogs.failedSave(QStringLiteral("Cannot create file \"/gone/Pump.rtf\"."),
                                                       QStringLiteral("the text typed is lost."),
                                                       QStringLiteral("/gone/Pump.rtf"), QStringLiteral("*.rtf"));
    return {answer, shown};
}

} // namespace

TEST(FailedSaveBox, SaysWhatFailedAndWhatIsLostAndAnswersEachButton)
{
    const auto [again, text] = answerBox(QStringLiteral("Try again"));
    EXPECT_EQ(again.choice, FailedSaveChoice::TryAgain);
    EXPECT_EQ(text, "Cannot create file \"/gone/Pump.rtf\".\n\nIf you close without saving, the text typed is lost.");
    EXPECT_EQ(answerBox(QStringLiteral("Close without saving")).first.choice, FailedSaveChoice::LeaveUnsaved);
    EXPECT_EQ(answerBox(QStringLiteral("no such button")).first.choice, FailedSaveChoice::Stay);
}
