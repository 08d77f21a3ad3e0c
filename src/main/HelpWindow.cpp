#include "main/HelpWindow.h"

#include "platform/Shell.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(Shell& shell, QWidget* parent)
    : QWidget(parent, Qt::Window), m_shell(shell), m_browser(new QTextBrowser(this))
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
    const QString scheme = target.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        m_shell.openLink(target);
        return;
    }
    m_browser->setSource(target);
}
