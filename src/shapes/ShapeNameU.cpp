#include "shapes/ShapeNameU.h"

#include "platform/Dialogs.h"
#include "platform/ObjectName.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TShapeNameF::TShapeNameF(BoardHost&, Platform& platform, QWidget* parent)
    : QDialog(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("ShapeNameF"));
    setWindowTitle(NoTitle);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(13);
    setFont(tahoma);
    // Laid out at 120 dots per inch, shown at 96.
    setFixedSize(352, 113);

    QFont large = tahoma;
    large.setPixelSize(17);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 336, 36);
    Label1 = new QLabel(QStringLiteral("Give name to Object!"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(large);
    Label1->setGeometry(8, 6, 320, 24);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 50, 336, 24);
    Edit1->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(large);
    Button1->setGeometry(96, 80, 75, 27);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFont(large);
    Button2->setGeometry(181, 80, 75, 27);
    // Neither button is the default: Enter and Escape close nothing.
    for (QPushButton* button : {Button1, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &TShapeNameF::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TShapeNameF::Button2Click);
}

void TShapeNameF::Button1Click()
{
    close();
}

void TShapeNameF::Button2Click()
{
    close();
}

bool TShapeNameF::Edit1KeyPress(QChar typed) const
{
    return !ObjectName::RefusedCharacters.contains(typed);
}

void TShapeNameF::FormCloseQuery()
{
    if (Edit1->text().isEmpty())
        m_platform.dialogs.message(
            QStringLiteral("You have not gave name to object, object will be deleted!"));
}

void TShapeNameF::showEvent(QShowEvent* event)
{
    Edit1->clear();
    Edit1->setFocus();
    QDialog::showEvent(event);
}

void TShapeNameF::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    QDialog::closeEvent(event);
}

void TShapeNameF::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TShapeNameF::eventFilter(QObject* watched, QEvent* event)
{
    // Only typed characters are filtered; pasted text passes, as it always has.
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && !Edit1KeyPress(typed.front()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
