#include "main/HelpWindow.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(Shell& shell, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_shell(shell), m_dialogs(dialogs),
      m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Vexorin help"));
    resize(760, 640);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Every link comes to follow(): the browser alone would try to show a web
    // page as a local file.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::follow);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

void HelpWindow::showPage(const QString& file)
{
    m_browser->setSource(QUrl::fromLocalFile(file));
    show();
    raise();
    activateWindow();
}

void HelpWindow::follow(const QUrl& link)
{
    const QUrl target = m_browser->source().resolved(link);
    // The browser shows HTML pages on disk only: any other link (the web, mail,
    // a PDF beside the help) would leave it blank, so the desktop opens it.
    const QString suffix = QFileInfo(target.path()).suffix();
    const bool page =
        target.isLocalFile() && (suffix.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0 ||
                                 suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) == 0);
    if (page)
        m_browser->setSource(target);
    else if (!m_shell.openLink(target))
        m_dialogs.message(nothingOpensMessage(target.isLocalFile()
                                                  ? QDir::toNativeSeparators(target.toLocalFile())
                                                  : target.toDisplayString()));
}
