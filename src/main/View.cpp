// The VIEW menu of the main window: how much of the board the client area
// shows. The zoom is the view's alone; no file holds it.
#include "main/Body.h"

#include "board/Board.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

QString zoomText(qreal zoom)
{
    return QStringLiteral("%1 %").arg(qRound(zoom * 100));
}

} // namespace

void TForm1::buildViewMenu()
{
    VIEW1 = menuBar()->addMenu(QStringLiteral("VIEW"));
    VIEW1->setObjectName(QStringLiteral("VIEW1"));
    const auto item = [this](const char* name, const QString& caption,
                             const QList<QKeySequence>& keys, void (TForm1::*handler)()) {
        QAction* action = VIEW1->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    FitBoard1 = item("FitBoard1", QStringLiteral("Fit board"), {QKeySequence(Qt::CTRL | Qt::Key_9)},
                     &TForm1::FitBoard1Click);
    // Ctrl+= is Ctrl++ without the Shift that "+" needs on many keyboards.
    ZoomIn1 = item("ZoomIn1", QStringLiteral("Zoom in"),
                   {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
                   &TForm1::ZoomIn1Click);
    ZoomOut1 = item("ZoomOut1", QStringLiteral("Zoom out"),
                    {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &TForm1::ZoomOut1Click);
    ActualSize1 = item("ActualSize1", QStringLiteral("100 %"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
                       &TForm1::ActualSize1Click);

    ZoomLabel1 = new QLabel(zoomText(m_board->zoom()), menuBar());
    ZoomLabel1->setObjectName(QStringLiteral("ZoomLabel1"));
    ZoomLabel1->setContentsMargins(6, 0, 6, 0);
    ZoomLabel1->setToolTip(QStringLiteral("Zoom of the board"));
    menuBar()->setCornerWidget(ZoomLabel1, Qt::TopRightCorner);
    connect(m_board, &Board::zoomChanged, ZoomLabel1,
            [this](qreal zoom) { ZoomLabel1->setText(zoomText(zoom)); });
}

void TForm1::FitBoard1Click()
{
    m_board->fitBoard();
}

void TForm1::ZoomIn1Click()
{
    m_board->zoomIn();
}

void TForm1::ZoomOut1Click()
{
    m_board->zoomOut();
}

void TForm1::ActualSize1Click()
{
    m_board->resetView();
}
