#include "BoardFixture.h"

#include "main/HelpWindow.h"

#include <QTextBrowser>

namespace {

const QByteArray IndexPage = "<html><body><h1>Vexorin help</h1>"
                             "<p><a href=\"#alarms\">Alarms</a> <a href=\"more.html\">More</a>"
                             " <a href=\"https://example.org/vexorin\">Web</a>"
                             " <a href=\"mailto:help@example.org\">Mail</a></p>"
                             "<h2 id=\"alarms\">Alarms</h2><p>Alarms ring.</p></body></html>";

} // namespace

class HelpWindowFixture : public BoardFixture {
protected:
    HelpWindowFixture()
    {
        QDir(fake.programDir.path()).mkdir("help");
        writeAll(index, IndexPage);
        writeAll(fake.programDir.filePath("help/more.html"),
                 "<html><body><p>The second page.</p></body></html>");
    }

    QTextBrowser& browser() { return *form->helpWindow()->browser(); }
    void click(const QUrl& link) { emit browser().anchorClicked(link); }

    const QString index = fake.programDir.filePath("help/index.html");
};

TEST_F(HelpWindowFixture, TheDesktopOpeningTheHelpLeavesTheProgramWithoutAWindow)
{
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.shell.opened, QStringList{index});
    EXPECT_EQ(form->helpWindow(), nullptr);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(HelpWindowFixture, WithoutAProgramForTheHelpTheProgramShowsItInItsOwnWindow)
{
    fake.shell.result = false;
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.shell.opened, QStringList{index}) << "the desktop is asked first";
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    ASSERT_NE(form->helpWindow(), nullptr);
    EXPECT_TRUE(form->helpWindow()->isVisible());
    EXPECT_EQ(form->helpWindow()->windowTitle(), "Vexorin help");
    EXPECT_EQ(browser().source(), QUrl::fromLocalFile(index));
    EXPECT_TRUE(browser().toPlainText().contains("Alarms ring."));

    // Asked again, the same window comes back with the first page.
    click(QUrl("more.html"));
    form->helpWindow()->hide();
    HelpWindow* first = form->helpWindow();
    form->Vexorinhelp1Click();
    EXPECT_EQ(form->helpWindow(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(browser().source(), QUrl::fromLocalFile(index));
}

TEST_F(HelpWindowFixture, LinksWithinTheHelpAreFollowedInTheWindowAndOthersGoToTheDesktop)
{
    fake.shell.result = false;
    form->Vexorinhelp1Click();

    click(QUrl("#alarms"));
    EXPECT_EQ(browser().source().toLocalFile(), index);
    EXPECT_EQ(browser().source().fragment(), "alarms");

    click(QUrl("more.html"));
    EXPECT_EQ(browser().source(), QUrl::fromLocalFile(fake.programDir.filePath("help/more.html")));
    EXPECT_TRUE(browser().toPlainText().contains("The second page."));
    EXPECT_TRUE(fake.shell.links.isEmpty());

    click(QUrl("https://example.org/vexorin"));
    click(QUrl("mailto:help@example.org"));
    EXPECT_EQ(fake.shell.links,
              (QList<QUrl>{QUrl("https://example.org/vexorin"), QUrl("mailto:help@example.org")}));
    EXPECT_TRUE(browser().toPlainText().contains("The second page.")) << "the page stays";
}

TEST_F(HelpWindowFixture, AMissingHelpFileIsStillNamedInAMessage)
{
    fake.shell.result = false;
    QDir(fake.programDir.filePath("help")).removeRecursively();
    form->Vexorinhelp1Click();
    EXPECT_EQ(form->helpWindow(), nullptr);
    EXPECT_EQ(fake.dialogs.messages, QStringList{"No program on this computer could open \"" +
                                                 fake.platform.programFolder + "zatHelp.chm" +
                                                 "\". Please open it by hand."});
}

TEST_F(HelpWindowFixture, LinksTheWindowCannotShowGoToTheDesktopAndAFailureIsNamed)
{
    fake.shell.result = false;
    form->Vexorinhelp1Click();
    const QString pdf = fake.programDir.filePath("help/manual.pdf");
    writeAll(pdf, "%PDF-1.4");

    click(QUrl("manual.pdf"));
    click(QUrl("ftp://example.org/vexorin.tar"));
    EXPECT_EQ(fake.shell.links,
              (QList<QUrl>{QUrl::fromLocalFile(pdf), QUrl("ftp://example.org/vexorin.tar")}));
    EXPECT_EQ(browser().source(), QUrl::fromLocalFile(index)) << "the page stays";
    EXPECT_TRUE(browser().toPlainText().contains("Alarms ring."));
    // Nothing could open them here either: each is named, not dropped silently.
    EXPECT_EQ(fake.dialogs.messages,
              (QStringList{"No program on this computer could open \"" + pdf +
                               "\". Please open it by hand.",
                           "No program on this computer could open "
                           "\"ftp://example.org/vexorin.tar\". Please open it by hand."}));
}
