#include "shapes/ShapeCustom.h"

#include "board/BoardHost.h"
#include "board/Board.h"
#include "board/LabelOffset.h"
#include "project/ObjectLabel.h"
#include "platform/ColorRef.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/Sound.h"
#include "shapes/EditableCombo.h"
#include "shapes/SpinEdit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

// A whole decimal number, as the size rules read the fields.
std::optional<qint64> wholeNumber(const QString& text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

} // namespace

TForm5::TForm5(BoardHost&, Platform& platform, QWidget* parent)
    : QDialog(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Shape custom sttings"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(10);
    setFont(tahoma);
    setFixedSize(221, 476);
    setModal(false);

    const auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };

    GroupBox4 = new QGroupBox(QStringLiteral("Object  name"), this);
    named(GroupBox4, "GroupBox4")->setGeometry(8, 8, 205, 90);
    SpeedButton1 = new QToolButton(GroupBox4);
    named(SpeedButton1, "SpeedButton1")->setGeometry(10, 22, 85, 24);
    SpeedButton1->setText(QStringLiteral("Color"));
    SpeedButton1->setAutoRaise(true);
    ComboBox4 = new QComboBox(GroupBox4);
    named(ComboBox4, "ComboBox4")->setGeometry(108, 22, 85, 24);
    ComboBox4->addItems({"Syze", "6", "7", "8", "9", "10", "11", "12"});
    ComboBox2 = new QComboBox(GroupBox4);
    named(ComboBox2, "ComboBox2")->setGeometry(10, 56, 85, 24);
    ComboBox2->addItems({"Style", "Bold", "Normal"});
    ComboBox3 = editableCombo(GroupBox4);
    named(ComboBox3, "ComboBox3")->setGeometry(108, 56, 85, 24);
    ComboBox3->addItems({"Visible", "Invisible"});

    GroupBox5 = new QGroupBox(this);
    named(GroupBox5, "GroupBox5")->setGeometry(8, 106, 205, 362);
    GroupBox1 = new QGroupBox(QStringLiteral("Widith:"), GroupBox5);
    named(GroupBox1, "GroupBox1")->setGeometry(8, 10, 90, 52);
    SpinEdit1 = new SpinEdit(1, 86400, 10, GroupBox1);
    named(SpinEdit1, "SpinEdit1")->setGeometry(8, 20, 74, 24);
    GroupBox2 = new QGroupBox(QStringLiteral("Height:"), GroupBox5);
    named(GroupBox2, "GroupBox2")->setGeometry(106, 10, 90, 52);
    SpinEdit2 = new SpinEdit(1, 86400, 10, GroupBox2);
    named(SpinEdit2, "SpinEdit2")->setGeometry(8, 20, 74, 24);
    GroupBox3 = new QGroupBox(QStringLiteral("Shape:"), GroupBox5);
    named(GroupBox3, "GroupBox3")->setGeometry(8, 70, 188, 52);
    RectangleComboBox1 = editableCombo(GroupBox3);
    named(RectangleComboBox1, "RectangleComboBox1")->setGeometry(8, 20, 172, 24);
    RectangleComboBox1->addItems({"Rectangle", "Ellipse", "Circle"});

    auto* preview = new Board(GroupBox5);
    named(preview, "Preview");
    preview->makePreview();
    Shape1 = new ObjectShape(preview->model());
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(16, 200, 8, 8);
    Label1 = new ObjectLabel(preview->model());
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(QFont(QStringLiteral("Tahoma"), 8));
    Label1->setCaption(QStringLiteral("Name"));

    const auto beep = [this] { m_platform.sound.beep(); };
    SpinEdit1->setRefusedKeyHandler(beep);
    SpinEdit2->setRefusedKeyHandler(beep);

    FormCreate();

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm5::SpeedButton1Click);
    connect(ComboBox2, &QComboBox::activated, this, &TForm5::ComboBox2Change);
    connect(ComboBox3, &QComboBox::editTextChanged, this, &TForm5::ComboBox3Change);
    connect(ComboBox4, &QComboBox::activated, this, &TForm5::ComboBox4Change);
    connect(RectangleComboBox1, &QComboBox::editTextChanged, this,
            &TForm5::RectangleComboBox1Change);
    connect(SpinEdit1, &SpinEdit::textChanged, this, &TForm5::SpinEdit1Change);
    connect(SpinEdit2, &SpinEdit::textChanged, this, &TForm5::SpinEdit2Change);
}

void TForm5::FormCreate()
{
    settings.DefaultVisible = true;
    settings.DefaultFontSize = 8;
    const QSignalBlocker b1(ComboBox4), b2(ComboBox2), b3(ComboBox3), b4(RectangleComboBox1);
    RectangleComboBox1->setCurrentText(QStringLiteral("Rectangle"));
    ComboBox2->setCurrentIndex(0);
    ComboBox3->setCurrentText(QStringLiteral("Visible"));
    ComboBox4->setCurrentIndex(0);
    Label1->move(Shape1->x(), Shape1->y() - LabelOffset(Label1->fontSize(), 1,
                                                        m_platform.desktop.virtualHeight()));
}

void TForm5::SpeedButton1Click()
{
    const std::optional<QColor> color = m_platform.dialogs.chooseColor(m_lastColor);
    if (!color)
        return;
    m_lastColor = *color;
    if (color->red() == 255 && color->green() == 255 && color->blue() == 255) {
        m_platform.dialogs.message(QStringLiteral("Sorry but You can not use white color!"));
        return;
    }
    settings.DefaultColor = ColorRef::fromQColor(*color);
    Label1->setFontColor(settings.DefaultColor);
}

void TForm5::ComboBox2Change()
{
    const QString style = ComboBox2->currentText();
    if (style != QLatin1String("Bold") && style != QLatin1String("Normal"))
        return;
    settings.DefaultBold = style == QLatin1String("Bold");
    QFont listFont = ComboBox2->font();
    listFont.setBold(settings.DefaultBold);
    ComboBox2->setFont(listFont);
    Label1->setBold(settings.DefaultBold);
}

void TForm5::ComboBox3Change()
{
    settings.DefaultVisible = ComboBox3->currentText() != QLatin1String("Invisible");
    Label1->setVisible(settings.DefaultVisible);
}

void TForm5::ComboBox4Change()
{
    const std::optional<qint64> size = wholeNumber(ComboBox4->currentText());
    if (!size)
        return;
    settings.DefaultFontSize = int(*size);
    Label1->setFontSize(settings.DefaultFontSize);
    Label1->move(Label1->x(), Shape1->y() - LabelOffset(settings.DefaultFontSize, 4,
                                                        m_platform.desktop.virtualHeight()));
}

void TForm5::RectangleComboBox1Change()
{
    const QString kind = RectangleComboBox1->currentText();
    const auto show = [this](bool heightShown, const char* widthCaption, ShapeKind shapeKind) {
        GroupBox2->setVisible(heightShown);
        SpinEdit2->setEnabled(heightShown);
        GroupBox1->setTitle(QLatin1String(widthCaption));
        settings.DefaultShapeKind = shapeKind;
    };
    if (kind == QLatin1String("Circle"))
        show(false, "Diameter:", ShapeKind::Circle);
    else if (kind == QLatin1String("Rectangle"))
        show(true, "Width:", ShapeKind::Rectangle);
    else if (kind == QLatin1String("Ellipse"))
        show(true, "Width:", ShapeKind::Ellipse);
    Shape1->setShapeKind(settings.DefaultShapeKind);
    settings.ShapeKindChosen = true;
    SpinEdit1Change();
}

void TForm5::SpinEdit1Change()
{
    const std::optional<qint64> width = wholeNumber(SpinEdit1->text());
    if (!width)
        return;
    if (*width > mainWindowOuterSize(m_platform.desktop).width()) {
        SpinEdit1->setText(QStringLiteral("10"));
        m_platform.dialogs.message(QStringLiteral("Object width must be smaller than form width!"));
        return;
    }
    settings.DefaultWidth = int(*width);
    if (RectangleComboBox1->currentText() == QLatin1String("Circle")) {
        settings.DefaultHeight = settings.DefaultWidth;
        settings.HeightChosen = true;
    } else {
        const std::optional<qint64> height = wholeNumber(SpinEdit2->text());
        if (!height) {
            m_platform.dialogs.error(
                QStringLiteral("'%1' is not a valid integer value.").arg(SpinEdit2->text()));
            return;
        }
        settings.DefaultHeight = int(*height);
    }
    Shape1->resize(settings.DefaultWidth, settings.DefaultHeight);
    settings.WidthChosen = true;
}

void TForm5::SpinEdit2Change()
{
    const std::optional<qint64> height = wholeNumber(SpinEdit2->text());
    if (!height)
        return;
    if (*height > mainWindowOuterSize(m_platform.desktop).height()) {
        SpinEdit2->setText(QStringLiteral("10"));
        m_platform.dialogs.message(
            QStringLiteral("Object height must be smaller than form height!"));
        return;
    }
    settings.DefaultHeight = int(*height);
    Shape1->resize(Shape1->width(), settings.DefaultHeight);
    settings.HeightChosen = true;
}
