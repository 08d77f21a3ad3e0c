#include "shapes/ShaprEditU.h"

#include "board/Board.h"
#include "board/BoardHost.h"
#include "board/LabelOffset.h"
#include "project/BoardCommands.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "platform/ColorRef.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/Pointer.h"
#include "platform/Sound.h"
#include "platform/WholeNumber.h"
#include "shapes/EditableCombo.h"
#include "shapes/SpinEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QToolTip>
#include <QUndoStack>

#include <limits>
#include <optional>

namespace {

const QString SizeMessage =
    QStringLiteral("Font \"Size\" is not an intiger! \"Size\" is set to default: 8 !");
const QString NotAnInteger = QStringLiteral(" is not an intiger!");
const QString WidthTooLarge = QStringLiteral("Object width must be smaller than form width!");
const QString HeightTooLarge = QStringLiteral("Object height must be smaller than form height!");
const QString LabelHintUsed = QStringLiteral(" You have alredy name hint with same text!");
const QString ShapeHintUsed = QStringLiteral(" You have alredy shape hint with same text!");
const QString WhiteRefused = QStringLiteral("Sorry but You can not use white color!");
const QString GiveNameFirst = QStringLiteral("Give name to object at first!");
const QString TitlePrefix = QStringLiteral("Shape edit for ");
const QString UnnamedMarker = QStringLiteral("?");

const QString Circle = QStringLiteral("Circle");
const QString Ellipse = QStringLiteral("Ellipse");
const QString Rectangle = QStringLiteral("Rectangle");

// A decimal integer as the checks read it: an optional sign and digits only,
// within the range of a 32-bit integer.
std::optional<int> decimalInteger(const QString& text)
{
    const std::optional<qint64> number = readWholeNumber(text);
    if (!number || *number < std::numeric_limits<int>::min() ||
        *number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*number);
}

// Equal when they differ at most in the case of the letters A to Z.
bool sameIgnoringLetterCase(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    const auto fold = [](char16_t c) -> char16_t { return c >= u'a' && c <= u'z' ? c - 32 : c; };
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold(a[i].unicode()) != fold(b[i].unicode()))
            return false;
    return true;
}

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TShapeEdit::TShapeEdit(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("ShapeEdit"));
    setWindowTitle(QStringLiteral("Shape Edit"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(10);
    setFont(tahoma);
    setFixedSize(254, 512);
    setModal(false);

    // "Object Name": the caption element.
    GroupBox4 = named(new QGroupBox(QStringLiteral("Object Name"), this), "GroupBox4");
    GroupBox4->setGeometry(8, 6, 238, 144);
    GroupBox7 = named(new QGroupBox(QStringLiteral("Hint"), GroupBox4), "GroupBox7");
    GroupBox7->setGeometry(8, 18, 222, 46);
    Edit2 = named(new QLineEdit(GroupBox7), "Edit2");
    Edit2->setGeometry(8, 18, 206, 20);
    SpeedButton1 = named(new QToolButton(GroupBox4), "SpeedButton1");
    SpeedButton1->setGeometry(8, 74, 105, 24);
    SpeedButton1->setText(QStringLiteral("Color"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SyzeComboBox4 = named(new QComboBox(GroupBox4), "SyzeComboBox4");
    SyzeComboBox4->setGeometry(125, 74, 105, 22);
    SyzeComboBox4->addItems({"Size", "6", "7", "8", "9", "10", "11", "12"});
    SyzeComboBox4->setCurrentIndex(-1);
    StyleComboBox2 = named(new QComboBox(GroupBox4), "StyleComboBox2");
    StyleComboBox2->setGeometry(8, 110, 105, 22);
    StyleComboBox2->addItems({"Style", "Bold", "Normal"});
    StyleComboBox2->setCurrentIndex(-1);
    VisibleComboBox3 = named(editableCombo(GroupBox4), "VisibleComboBox3");
    VisibleComboBox3->setGeometry(125, 110, 105, 22);
    VisibleComboBox3->addItems({"Visible", "Invisible"});
    VisibleComboBox3->setEditText(QStringLiteral("Visible"));

    // "Object Shape": the shape element and the preview.
    GroupBox5 = named(new QGroupBox(QStringLiteral("Object Shape"), this), "GroupBox5");
    GroupBox5->setGeometry(8, 156, 238, 348);
    GroupBox6 = named(new QGroupBox(QStringLiteral("Hint"), GroupBox5), "GroupBox6");
    GroupBox6->setGeometry(8, 18, 222, 46);
    Edit1 = named(new QLineEdit(GroupBox6), "Edit1");
    Edit1->setGeometry(8, 18, 206, 20);
    GroupBox1 = named(new QGroupBox(QStringLiteral("Width"), GroupBox5), "GroupBox1");
    GroupBox1->setGeometry(8, 70, 105, 50);
    SpinEdit1 = named(new SpinEdit(1, 86400, 10, GroupBox1), "SpinEdit1");
    SpinEdit1->setGeometry(8, 18, 89, 22);
    GroupBox2 = named(new QGroupBox(QStringLiteral("Height"), GroupBox5), "GroupBox2");
    GroupBox2->setGeometry(125, 70, 105, 50);
    SpinEdit2 = named(new SpinEdit(1, 86400, 10, GroupBox2), "SpinEdit2");
    SpinEdit2->setGeometry(8, 18, 89, 22);
    GroupBox3 = named(new QGroupBox(QStringLiteral("Shape"), GroupBox5), "GroupBox3");
    GroupBox3->setGeometry(8, 126, 222, 50);
    RectangeComboBox1 = named(editableCombo(GroupBox3), "RectangeComboBox1");
    RectangeComboBox1->setGeometry(8, 18, 206, 22);
    RectangeComboBox1->addItems({Circle, Ellipse, Rectangle});
    RectangeComboBox1->setEditText(Rectangle);

    // The preview, at the lower left: the caption stands above the shape.
    // Created before the buttons, so that a large shape stays under them.
    auto* preview = named(new Board(GroupBox5), "Preview");
    preview->makePreview();
    Shape1 = named(new ObjectShape(preview->model()), "Shape1");
    Shape1->setGeometry(16, 206, 8, 8);
    NameLabel = named(new ObjectLabel(preview->model()), "NameLabel");
    NameLabel->setFont(QFont(QStringLiteral("Tahoma"), 8));
    NameLabel->setCaption(QStringLiteral("NameLabel"));
    NameLabel->move(16, 188);

    applyBut = named(new QPushButton(QStringLiteral("Apply"), GroupBox5), "applyBut");
    applyBut->setGeometry(96, 312, 64, 25);
    Button1 = named(new QPushButton(QStringLiteral("Cancel"), GroupBox5), "Button1");
    Button1->setGeometry(166, 312, 64, 25);
    // Neither button is pressed by Enter or Escape.
    applyBut->setAutoDefault(false);
    Button1->setAutoDefault(false);

    const auto beep = [this] { m_platform.sound.beep(); };
    SpinEdit1->setRefusedKeyHandler(beep);
    SpinEdit2->setRefusedKeyHandler(beep);

    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    // Return in an editable list would otherwise pick an item matching the text.
    VisibleComboBox3->lineEdit()->installEventFilter(this);
    RectangeComboBox1->lineEdit()->installEventFilter(this);

    connect(SpeedButton1, &QToolButton::clicked, this, &TShapeEdit::SpeedButton1Click);
    connect(RectangeComboBox1, &QComboBox::activated, this, &TShapeEdit::RectangeComboBox1Change);
    connect(RectangeComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            &TShapeEdit::RectangeComboBox1Change);
    connect(applyBut, &QPushButton::clicked, this, &TShapeEdit::applyButClick);
    connect(Button1, &QPushButton::clicked, this, &TShapeEdit::Button1Click);

    FormCreate();
}

void TShapeEdit::FormCreate()
{
    ShapeHintChanged = false;
    LabelHintChanged = false;
}

int TShapeEdit::desktopHeight() const
{
    return m_platform.desktop.virtualHeight();
}

void TShapeEdit::drawColorCaption(const QColor& color)
{
    QPalette pal = SpeedButton1->palette();
    pal.setColor(QPalette::ButtonText, color);
    SpeedButton1->setPalette(pal);
}

void TShapeEdit::LoadShapeEdit()
{
    if (!m_host.project().isOpen()) {
        m_platform.dialogs.message(DefineFormFirst);
        return;
    }

    ObjectLabel* label = m_host.currentLabel();
    ObjectShape* shape = m_host.currentShape();
    setWindowTitle(TitlePrefix + (label ? label->caption() : QString()));
    // Whatever was typed or picked during an earlier opening is not carried over.
    ShapeHintChanged = false;
    LabelHintChanged = false;
    m_colorPicked = false;
    if (!isVisible()) {
        QWidget* main = m_host.mainWindow();
        QRect place(QPoint(), frameGeometry().size());
        place.moveCenter(main->frameGeometry().center());
        move(place.topLeft());
    }
    show();
    raise();
    activateWindow();

    if (!label || !shape)
        return;
    if (label->caption() == UnnamedMarker) {
        m_platform.dialogs.message(GiveNameFirst);
        return;
    }

    const QSignalBlocker blockShape(RectangeComboBox1), blockVisible(VisibleComboBox3),
        blockSize(SyzeComboBox4), blockStyle(StyleComboBox2), blockEdit1(Edit1), blockEdit2(Edit2),
        blockWidth(SpinEdit1), blockHeight(SpinEdit2);

    Shape1->setBrushColor(shape->brushColor());
    Shape1->resize(shape->width(), shape->height());
    Shape1->setShapeKind(shape->shapeKind());

    NameLabel->setFont(label->font());
    NameLabel->setFontColor(label->fontColor());
    NameLabel->setCaption(label->caption());
    NameLabel->setVisible(!label->isHidden());

    Edit1->setText(shape->hint());
    OldShapeHint = shape->hint();
    Edit2->setText(label->hint());
    OldLabelHint = label->hint();

    const int sizeItem = SyzeComboBox4->findText(QString::number(label->fontSize()));
    SyzeComboBox4->setCurrentIndex(sizeItem >= 1 ? sizeItem : -1);
    VisibleComboBox3->setCurrentIndex(VisibleComboBox3->findText(
        label->isHidden() ? QStringLiteral("Invisible") : QStringLiteral("Visible")));
    const QFont font = label->font();
    const bool onlyBold = font.bold() && !font.italic() && !font.underline() && !font.strikeOut();
    StyleComboBox2->setCurrentIndex(
        StyleComboBox2->findText(onlyBold ? QStringLiteral("Bold") : QStringLiteral("Normal")));

    SpinEdit1->setText(QString::number(shape->width()));
    SpinEdit2->setText(QString::number(shape->height()));

    QString kindText;
    switch (shape->shapeKind()) {
    case ShapeKind::Circle:
        kindText = Circle;
        break;
    case ShapeKind::Ellipse:
        kindText = Ellipse;
        break;
    case ShapeKind::Rectangle:
        kindText = Rectangle;
        break;
    default:
        break; // other kinds have no item: nothing is selected
    }
    RectangeComboBox1->setCurrentIndex(RectangeComboBox1->findText(kindText));
    if (kindText.isEmpty())
        RectangeComboBox1->setEditText(QString());
    applySelectorRule(RectangeComboBox1->currentText());

    drawColorCaption(ColorRef::toQColor(label->fontColor()));
    update();
}

void TShapeEdit::paintEvent(QPaintEvent* event)
{
    FormPaint();
    QDialog::paintEvent(event);
}

void TShapeEdit::FormPaint()
{
    const int top = Shape1->y() - LabelOffset(NameLabel->fontSize(), 4, desktopHeight());
    if (NameLabel->y() != top)
        NameLabel->move(NameLabel->x(), top);
}

void TShapeEdit::Edit1KeyUp()
{
    if (Edit1->text() != OldShapeHint)
        ShapeHintChanged = true;
}

void TShapeEdit::Edit2KeyUp()
{
    if (Edit2->text() != OldLabelHint)
        LabelHintChanged = true;
}

void TShapeEdit::SpeedButton1Click()
{
    const std::optional<QColor> chosen = m_platform.dialogs.chooseColor(m_colorDialogColor);
    if (!chosen)
        return;
    m_colorDialogColor = *chosen;
    if (chosen->red() == 255 && chosen->green() == 255 && chosen->blue() == 255) {
        m_platform.dialogs.message(WhiteRefused);
        return;
    }
    PickedColor = ColorRef::fromQColor(*chosen);
    m_colorPicked = true;
    drawColorCaption(ColorRef::toQColor(PickedColor));
}

void TShapeEdit::applySelectorRule(const QString& kindText)
{
    if (kindText == Circle) {
        GroupBox2->setVisible(false);
        SpinEdit2->setEnabled(false);
        GroupBox1->setTitle(QStringLiteral("Diameter:"));
    } else if (kindText == Rectangle) {
        GroupBox2->setVisible(true);
        SpinEdit2->setEnabled(true);
        GroupBox1->setTitle(QStringLiteral("Width:"));
    } else if (kindText == Ellipse) {
        GroupBox2->setVisible(true);
        SpinEdit2->setEnabled(true);
        GroupBox1->setTitle(QStringLiteral("Width"));
    }
}

void TShapeEdit::RectangeComboBox1Change()
{
    applySelectorRule(RectangeComboBox1->currentText());
}

void TShapeEdit::Button1Click()
{
    hide();
}

void TShapeEdit::applyButClick()
{
    // 1 to 5: the checks. Nothing on the board changes before they all pass.
    const std::optional<int> size = decimalInteger(SyzeComboBox4->currentText());
    if (!size) {
        SyzeComboBox4->setCurrentIndex(SyzeComboBox4->findText(QStringLiteral("8")));
        m_platform.dialogs.message(SizeMessage);
        return;
    }
    const QString widthText = SpinEdit1->text();
    const std::optional<int> width = decimalInteger(widthText);
    if (!width) {
        m_platform.dialogs.message(widthText + NotAnInteger);
        SpinEdit1->setText(QStringLiteral("10"));
        return;
    }
    const QSize mainFrame = mainWindowOuterSize(m_platform.desktop);
    if (*width > mainFrame.width()) {
        SpinEdit1->setText(QStringLiteral("10"));
        m_platform.dialogs.message(WidthTooLarge);
        return;
    }
    const QString heightText = SpinEdit2->text();
    const std::optional<int> height = decimalInteger(heightText);
    if (!height) {
        m_platform.dialogs.message(heightText + NotAnInteger);
        SpinEdit2->setText(QStringLiteral("10"));
        return;
    }
    if (*height > mainFrame.height()) {
        SpinEdit2->setText(QStringLiteral("10"));
        m_platform.dialogs.message(HeightTooLarge);
        return;
    }

    // The object may have been removed while the dialog was open.
    ElementRef<ObjectShape> shape = m_host.currentShape();
    ElementRef<ObjectLabel> label = m_host.currentLabel();
    if (!shape || !label)
        return;

    // Whatever of 6 to 14 changes the object is one step of the undo stack,
    // taken when this function ends, however it ends.
    struct UndoStep {
        BoardHost& host;
        QList<ElementState> before;
        QString name;
        ~UndoStep()
        {
            pushEditSince(host.undoStack(), host.boardModel(),
                          QStringLiteral("shape edit of ") + name, std::move(before));
        }
    } step{m_host, statesOf({shape.data(), label.data()}), label->caption()};

    // 6: kind and size.
    const QString kindText = RectangeComboBox1->currentText();
    if (kindText == Circle) {
        shape->setShapeKind(ShapeKind::Circle);
        Shape1->setShapeKind(ShapeKind::Circle);
        Shape1->resize(*width, *width);
        shape->resize(Shape1->size());
    } else if (kindText == Rectangle || kindText == Ellipse) {
        const ShapeKind kind = kindText == Rectangle ? ShapeKind::Rectangle : ShapeKind::Ellipse;
        shape->setShapeKind(kind);
        Shape1->setShapeKind(kind);
        Shape1->resize(*width, *height);
        shape->resize(Shape1->size());
    }

    // 7, 8: the hints. A refused hint ends only its own check.
    if (LabelHintChanged) {
        CheckLabelHint();
        if (label)
            ShowElementHint(label);
    }
    if (ShapeHintChanged) {
        CheckShapeHint();
        if (shape)
            ShowElementHint(shape);
    }
    if (!shape || !label)
        return;

    // 9 to 12: the caption's size, style, visibility and colour, on the
    // object and on the preview.
    for (ObjectLabel* caption : {label.data(), NameLabel}) {
        caption->setFontSize(*size);
        caption->setBold(StyleComboBox2->currentText() == QLatin1String("Bold"));
        caption->setFontFlags(false, false, false);
    }
    const bool visible = VisibleComboBox3->currentText() == QLatin1String("Visible");
    label->setVisible(visible);
    NameLabel->setVisible(visible);
    // Without a pick since the opening the caption keeps its own colour.
    const quint32 color = m_colorPicked ? PickedColor : label->fontColor();
    label->setFontColor(color);
    NameLabel->setFontColor(color);

    // 13.
    ShapeHintChanged = false;
    LabelHintChanged = false;

    // 14: the captions stand above their shapes again.
    const int offset = LabelOffset(*size, 1, desktopHeight());
    label->move(label->x(), shape->y() - offset);
    NameLabel->move(NameLabel->x(), Shape1->y() - offset);
}

void TShapeEdit::CheckLabelHint()
{
    const QString typed = Edit2->text();
    for (ObjectLabel* caption : m_host.boardModel().labels()) {
        if (sameIgnoringLetterCase(caption->hint(), typed)) {
            m_platform.dialogs.message(LabelHintUsed);
            Edit2->setText(OldLabelHint);
            return;
        }
    }
    if (ObjectLabel* label = m_host.currentLabel())
        label->setHint(typed);
}

void TShapeEdit::CheckShapeHint()
{
    const QString typed = Edit1->text();
    for (ObjectShape* element : m_host.boardModel().shapes()) {
        if (sameIgnoringLetterCase(element->hint(), typed)) {
            m_platform.dialogs.message(ShapeHintUsed);
            Edit1->setText(OldShapeHint);
            return;
        }
    }
    if (ObjectShape* shape = m_host.currentShape())
        shape->setHint(typed);
}

void TShapeEdit::ShowElementHint(BoardElement* element)
{
    const QPoint boardPoint = element->pos() + QPoint(1, 1);
    const QPoint at = m_host.globalPoint(boardPoint);
    m_platform.pointer.setPos(QPoint(at.x(), at.y() + 4));

    // The hint of the element under the point; else of the control under it,
    // or of the nearest of its parents within the window that has one.
    const BoardElement* under = m_host.boardModel().elementAt(boardPoint);
    if (under && !under->hint().isEmpty()) {
        QToolTip::showText(at, under->hint(), m_host.mainWindow());
        return;
    }
    QWidget* owner = QApplication::widgetAt(at);
    while (owner && owner->toolTip().isEmpty())
        owner = owner->isWindow() ? nullptr : owner->parentWidget();
    if (owner)
        QToolTip::showText(at, owner->toolTip(), owner);
    else
        QToolTip::hideText();
}

void TShapeEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool TShapeEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        if (watched == Edit1)
            Edit1KeyUp();
        else if (watched == Edit2)
            Edit2KeyUp();
    } else if (event->type() == QEvent::KeyPress && (watched == VisibleComboBox3->lineEdit() ||
                                                     watched == RectangeComboBox1->lineEdit())) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
