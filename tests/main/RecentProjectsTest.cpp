#include "BoardFixture.h"

#include "project/ObjectLabel.h"
#include "project/RecentProjects.h"
#include "tables/ObjectTableU.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <memory>
#include <vector>

class RecentProjectsFixture : public BoardFixture {
protected:
    ~RecentProjectsFixture() override { TObjectTable::destroyAll(); }

    // FILE > New into folder, with formName typed.
    void newProject(const QString& folder, const QString& formName = QStringLiteral("Work"))
    {
        fake.dialogs.inputAnswers = {formName};
        fake.dialogs.folderAnswers = {folder};
        form->New1Click();
        ASSERT_EQ(form->project().folder(), folder);
    }

    // The folders the FILE menu lists, as it lists them when opened.
    QStringList listed()
    {
        emit form->FILE1->aboutToShow();
        QStringList folders;
        for (const QAction* entry : form->RecentProjects1)
            folders << entry->data().toString();
        return folders;
    }

    QAction* entryFor(const QString& folder)
    {
        for (QAction* entry : form->RecentProjects1)
            if (entry->data().toString() == folder)
                return entry;
        return nullptr;
    }

    // A second start of the program for the same user.
    void restart()
    {
        TObjectTable::destroyAll();
        form = std::make_unique<TForm1>(fake.platform);
        form->Timer1->stop();
    }
};

TEST_F(RecentProjectsFixture, TheLastEightProjectsAreListedNewestFirstAcrossStarts)
{
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(form->RecentSeparator1->isVisible());

    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    QStringList opened;
    for (int i = 0; i < RecentProjects::Limit + 1; ++i) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        opened.prepend(folders.back()->path());
        newProject(folders.back()->path(), QStringLiteral("P%1").arg(i));
    }
    EXPECT_EQ(listed(), opened.mid(0, 8)) << "the first project is pushed out";

    // After the menu's own items and a separator, numbered.
    const QList<QAction*> items = form->FILE1->actions();
    const qsizetype exportList = items.indexOf(form->ExportList1);
    ASSERT_GE(exportList, 0);
    EXPECT_EQ(items.mid(exportList + 1, 2),
              (QList<QAction*>{form->RecentSeparator1, form->RecentProjects1.first()}));
    EXPECT_TRUE(form->RecentSeparator1->isVisible());
    EXPECT_EQ(items.last(), form->RecentProjects1.last());
    EXPECT_EQ(form->RecentProjects1.first()->text(), "&1 " + opened.first());

    // Kept for the user, not in any project folder.
    for (const auto& folder : folders)
        EXPECT_FALSE(readAll(folder->filePath("iniformsettings.ini")).contains("Recent"));
    restart();
    EXPECT_EQ(listed(), opened.mid(0, 8));

    // The start-up reopen counts as an opening; a folder opened again moves up.
    writeAll(form->lastProjectFile(), "[Form1]\r\nPathforini=" + opened[5].toUtf8() + "\r\n");
    form->Timer1Timer();
    ASSERT_EQ(form->project().folder(), opened[5]);
    QStringList expected = opened.mid(0, 8);
    expected.move(5, 0);
    EXPECT_EQ(listed(), expected);
}

TEST_F(RecentProjectsFixture, AVanishedProjectIsShownDisabledAndCanBeRemoved)
{
    QTemporaryDir kept, gone;
    newProject(kept.path());
    newProject(gone.path());
    newProject(kept.path());
    EXPECT_EQ(listed(), (QStringList{kept.path(), gone.path()}));
    EXPECT_FALSE(form->FILE1->actions().contains(form->RemoveVanished1));

    gone.remove();
    EXPECT_EQ(listed(), (QStringList{kept.path(), gone.path()}));
    EXPECT_TRUE(entryFor(kept.path())->isEnabled());
    EXPECT_FALSE(entryFor(gone.path())->isEnabled());
    ASSERT_TRUE(form->FILE1->actions().contains(form->RemoveVanished1));
    EXPECT_EQ(form->FILE1->actions().last(), form->RemoveVanished1);
    EXPECT_EQ(form->RemoveVanished1->text(), "Remove vanished projects");

    // Chosen anyway (it vanished while the menu was open), it opens nothing.
    form->OpenRecentProject(gone.path());
    EXPECT_EQ(form->project().folder(), kept.path());
    EXPECT_TRUE(fake.dialogs.questions.isEmpty());

    form->RemoveVanished1->trigger();
    EXPECT_EQ(listed(), QStringList{kept.path()});
    EXPECT_FALSE(form->FILE1->actions().contains(form->RemoveVanished1));
    restart();
    EXPECT_EQ(listed(), QStringList{kept.path()});
}

TEST_F(RecentProjectsFixture, ChoosingARecentProjectOpensItAfterSavingTheOpenOne)
{
    QTemporaryDir plant, depot;
    newProject(plant.path(), QStringLiteral("Plant"));
    addObject(1, QStringLiteral("Boiler"));
    newProject(depot.path(), QStringLiteral("Depot"));
    addObject(1, QStringLiteral("Crane"));
    ASSERT_EQ(listed(), (QStringList{depot.path(), plant.path()}));

    entryFor(plant.path())->trigger();
    EXPECT_EQ(form->project().folder(), plant.path());
    EXPECT_EQ(form->project().formName(), "Plant") << "the project's own form name";
    ASSERT_EQ(form->boardModel().labels().size(), 1);
    EXPECT_EQ(form->boardModel().labels().first()->caption(), "Boiler");
    EXPECT_TRUE(readAll(depot.filePath("fStreamLabel.txt")).contains("Crane"))
        << "the project left was saved";
    // The entry chosen was replaced while it ran; the menu holds the new ones only.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(listed(), (QStringList{plant.path(), depot.path()}));
    const QList<QAction*> items = form->FILE1->actions();
    EXPECT_EQ(items.mid(items.indexOf(form->RecentSeparator1) + 1), form->RecentProjects1);
}

TEST_F(RecentProjectsFixture, NewAndOpenStartChoosingBesideTheOpenProject)
{
    fake.dialogs.folderAnswers = {QString()};
    form->Open1Click();
    fake.dialogs.inputAnswers = {QStringLiteral("Work")};
    fake.dialogs.folderAnswers = {QString()};
    form->New1Click();
    EXPECT_EQ(fake.dialogs.initialFolders, (QStringList{QString(), QDir::homePath()}))
        << "with no project open";

    QTemporaryDir parent;
    ASSERT_TRUE(QDir(parent.path()).mkdir("plant"));
    newProject(parent.filePath("plant"));
    fake.dialogs.initialFolders.clear();
    fake.dialogs.folderAnswers = {QString()};
    form->Open1Click();
    fake.dialogs.inputAnswers = {QStringLiteral("Work")};
    fake.dialogs.folderAnswers = {QString()};
    form->New1Click();
    EXPECT_EQ(fake.dialogs.initialFolders, (QStringList{parent.path(), parent.path()}));
}
