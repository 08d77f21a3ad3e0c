#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct SeenBox {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// Runs open, which shows a modal box, and closes the box once seen.
SeenBox seeBox(const std::function<void()>& open)
{
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        seen.title = box->windowTitle();
        if (auto* message = qobject_cast<QMessageBox*>(box)) {
            seen.icon = message->icon();
            seen.buttons = int(message->buttons().size());
        }
        if (auto* dialog = qobject_cast<QDialog*>(box))
            dialog->reject();
    });
    open();
    return seen;
}

} // namespace

TEST(QtDialogs, BoxesAndInputBoxesShowAnEmptyTitleBarNotTheProgramsName)
{
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QtDialogs real;
    Dialogs& dialogs = real;
    const QList<std::function<void()>> boxes{
        [&] { dialogs.message(QStringLiteral("Note")); },
        [&] { dialogs.error(QStringLiteral("Error")); },
        [&] { dialogs.confirm(QStringLiteral("Sure?")); },
        [&] { dialogs.input(QStringLiteral("Define status"), QString()); },
    };
    for (const auto& open : boxes) {
        const SeenBox seen = seeBox(open);
        // Qt would put the program's name in place of an empty title.
        EXPECT_FALSE(seen.title.isEmpty());
        EXPECT_TRUE(seen.title.trimmed().isEmpty()) << seen.title.toStdString();
    }
}

TEST(QtDialogs, YesNoBoxShowsTheIconItIsAskedFor)
{
    QtDialogs real;
    Dialogs& dialogs = real;
    SeenBox seen = seeBox([&] { dialogs.confirm(QStringLiteral("Delete?")); });
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, 2);
    seen = seeBox([&] { dialogs.confirm(QStringLiteral("Delete?"), Dialogs::Look::Information); });
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, 2);
}

TEST(QtDialogs, SaveFileChooserAddsTheSuffixOfTheChosenFilterToABareName)
{
    QtDialogs real;
    QTemporaryDir dir;
    const auto choose = [&](const QString& typed, const QString& filter) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->setDirectory(dir.path());
            dialog->selectNameFilter(filter);
            dialog->selectFile(typed);
            static_cast<QDialog*>(dialog)->accept(); // protected in QFileDialog
        });
        return real.chooseSaveFile(QStringLiteral("Export board"),
                                   QStringLiteral("PNG picture (*.png);;PDF document (*.pdf)"));
    };
    EXPECT_EQ(choose(QStringLiteral("plan"), QStringLiteral("PDF document (*.pdf)")),
              QDir::toNativeSeparators(dir.filePath(QStringLiteral("plan.pdf"))));
    EXPECT_EQ(choose(QStringLiteral("plan.png"), QStringLiteral("PDF document (*.pdf)")),
              QDir::toNativeSeparators(dir.filePath(QStringLiteral("plan.png"))));
}
