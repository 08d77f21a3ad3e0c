#include "board/LabelOffset.h"
#include "platform/ColorRef.h"
#include "shapes/ShaprEditU.h"
#include "shapes/SpinEdit.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

const QString SizeMessage =
    QStringLiteral("Font \"Size\" is not an intiger! \"Size\" is set to default: 8 !");

QStringList items(const QComboBox* combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemText(i);
    return all;
}

// Puts the program's rounding back to nearest after a test that switched it.
struct RoundingGuard {
    ~RoundingGuard() { setRoundingMode(RoundingMode::NearestEven); }
};

class ShapeEditFixture : public ::testing::Test {
protected:
    ShapeEditFixture()
    {
        host.setProjectFolder(QStringLiteral("/projects/plant"));
        // A desktop 768 pixels high: the caption offsets are 15 (k = 1) and 18
        // (k = 4) for 8-point text.
        fake.desktop.screen = QSize(1024, 768);
    }

    // Object N named name, current, with hints "ShapeN" and "LabelN".
    void addObject(int n, const QString& name)
    {
        host.addObject(n, name);
        host.shape->setHint(QStringLiteral("Shape%1").arg(n));
        host.label->setHint(QStringLiteral("Label%1").arg(n));
    }

    void open()
    {
        dialog.LoadShapeEdit();
        fake.dialogs.messages.clear();
    }

    void typeInto(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClicks(field, text);
    }

    QColor colorCaption() const
    {
        return dialog.SpeedButton1->palette().color(QPalette::ButtonText);
    }

    FakePlatform fake;
    FakeBoardHost host;
    TShapeEdit dialog{host, fake.platform};
};

TEST_F(ShapeEditFixture, DialogCarriesEveryControlWithItsCaptionItemsAndLimits)
{
    EXPECT_EQ(dialog.windowTitle(), "Shape Edit");
    EXPECT_EQ(dialog.size(), QSize(254, 512));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.font().family(), "Tahoma");
    EXPECT_EQ(dialog.font().pixelSize(), 10);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_FALSE(dialog.isVisible());

    const auto title = [this](const char* name) {
        auto* box = dialog.findChild<QGroupBox*>(QLatin1String(name));
        return box ? box->title() : QStringLiteral("<missing>");
    };
    EXPECT_EQ(title("GroupBox4"), "Object Name");
    EXPECT_EQ(title("GroupBox7"), "Hint");
    EXPECT_EQ(title("GroupBox5"), "Object Shape");
    EXPECT_EQ(title("GroupBox6"), "Hint");
    EXPECT_EQ(title("GroupBox1"), "Width");
    EXPECT_EQ(title("GroupBox2"), "Height");
    EXPECT_EQ(title("GroupBox3"), "Shape");
    EXPECT_EQ(dialog.Edit2->parent(), dialog.GroupBox7);
    EXPECT_EQ(dialog.Edit1->parent(), dialog.GroupBox6);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Edit1"), dialog.Edit1);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Edit2"), dialog.Edit2);

    EXPECT_EQ(dialog.findChild<QToolButton*>("SpeedButton1")->text(), "Color");
    EXPECT_EQ(items(dialog.findChild<QComboBox*>("SyzeComboBox4")),
              QStringList({"Size", "6", "7", "8", "9", "10", "11", "12"}));
    EXPECT_FALSE(dialog.SyzeComboBox4->isEditable());
    EXPECT_EQ(items(dialog.findChild<QComboBox*>("StyleComboBox2")),
              QStringList({"Style", "Bold", "Normal"}));
    EXPECT_FALSE(dialog.StyleComboBox2->isEditable());
    EXPECT_EQ(items(dialog.findChild<QComboBox*>("VisibleComboBox3")),
              QStringList({"Visible", "Invisible"}));
    EXPECT_TRUE(dialog.VisibleComboBox3->isEditable());
    EXPECT_EQ(dialog.VisibleComboBox3->currentText(), "Visible");
    EXPECT_EQ(items(dialog.findChild<QComboBox*>("RectangeComboBox1")),
              QStringList({"Circle", "Ellipse", "Rectangle"}));
    EXPECT_TRUE(dialog.RectangeComboBox1->isEditable());
    EXPECT_EQ(dialog.RectangeComboBox1->currentText(), "Rectangle");

    ASSERT_NE(dialog.findChild<SpinEdit*>("SpinEdit1"), nullptr);
    ASSERT_NE(dialog.findChild<SpinEdit*>("SpinEdit2"), nullptr);
    EXPECT_EQ(dialog.SpinEdit1->text(), "10");
    EXPECT_EQ(dialog.SpinEdit2->text(), "10");
    dialog.SpinEdit1->setText(QStringLiteral("86400"));
    dialog.SpinEdit1->stepBy(1);
    EXPECT_EQ(dialog.SpinEdit1->text(), "86400");
    dialog.SpinEdit1->setText(QStringLiteral("1"));
    dialog.SpinEdit1->stepBy(-1);
    EXPECT_EQ(dialog.SpinEdit1->text(), "1");

    EXPECT_EQ(dialog.Shape1->objectName(), "Shape1");
    EXPECT_EQ(dialog.Shape1->size(), QSize(8, 8));
    EXPECT_EQ(dialog.NameLabel->caption(), "NameLabel");
    EXPECT_EQ(dialog.findChild<QPushButton*>("applyBut")->text(), "Apply");
    EXPECT_EQ(dialog.findChild<QPushButton*>("Button1")->text(), "Cancel");
    EXPECT_FALSE(dialog.applyBut->autoDefault() || dialog.applyBut->isDefault());
    EXPECT_FALSE(dialog.Button1->autoDefault() || dialog.Button1->isDefault());

    EXPECT_FALSE(dialog.ShapeHintChanged);
    EXPECT_FALSE(dialog.LabelHintChanged);
    EXPECT_EQ(dialog.PickedColor, 0x000000u);
}

TEST_F(ShapeEditFixture, OpeningRefusesWhileNoProjectIsOpenAndStopsAtAnUnnamedObject)
{
    addObject(1, QStringLiteral("?"));
    host.setProjectFolder({});
    dialog.LoadShapeEdit();
    EXPECT_EQ(fake.dialogs.messages, QStringList{DefineFormFirst});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Shape Edit");

    host.setProjectFolder(QStringLiteral("/projects/plant"));
    fake.dialogs.messages.clear();
    host.shape->resize(50, 60);
    dialog.LoadShapeEdit();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Give name to object at first!"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Shape edit for ?");
    EXPECT_EQ(dialog.SpinEdit1->text(), "10"); // nothing loaded

    // With no current object the title ends after "for " and nothing is said.
    dialog.hide();
    fake.dialogs.messages.clear();
    host.shape = nullptr;
    host.label = nullptr;
    dialog.LoadShapeEdit();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Shape edit for ");
}

TEST_F(ShapeEditFixture, OpeningLoadsTheCurrentObjectWithoutChangingIt)
{
    addObject(1, QStringLiteral("Pump"));
    host.shape->setShapeKind(ShapeKind::Circle);
    host.shape->setGeometry(200, 150, 40, 40);
    host.shape->setBrushColor(0x00FF00);
    host.label->setFontSize(10);
    host.label->setBold(true);
    host.label->setFontColor(0x0000FF);
    host.label->setVisible(false);
    const QRect shapeBefore = host.shape->geometry();
    const QPoint labelBefore = host.label->pos();

    dialog.LoadShapeEdit();

    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), "Shape edit for Pump");
    EXPECT_EQ(dialog.Shape1->shapeKind(), ShapeKind::Circle);
    EXPECT_EQ(dialog.Shape1->size(), QSize(40, 40));
    EXPECT_EQ(dialog.Shape1->brushColor(), 0x00FF00u);
    EXPECT_EQ(dialog.NameLabel->caption(), "Pump");
    EXPECT_EQ(dialog.NameLabel->fontSize(), 10);
    EXPECT_TRUE(dialog.NameLabel->isBold());
    EXPECT_EQ(dialog.NameLabel->fontColor(), 0x0000FFu);
    EXPECT_TRUE(dialog.NameLabel->isHidden());
    EXPECT_EQ(dialog.Edit1->text(), "Shape1");
    EXPECT_EQ(dialog.OldShapeHint, "Shape1");
    EXPECT_EQ(dialog.Edit2->text(), "Label1");
    EXPECT_EQ(dialog.OldLabelHint, "Label1");
    EXPECT_EQ(dialog.SyzeComboBox4->currentText(), "10");
    EXPECT_EQ(dialog.VisibleComboBox3->currentText(), "Invisible");
    EXPECT_EQ(dialog.StyleComboBox2->currentText(), "Bold");
    EXPECT_EQ(dialog.SpinEdit1->text(), "40");
    EXPECT_EQ(dialog.SpinEdit2->text(), "40");
    EXPECT_EQ(dialog.RectangeComboBox1->currentText(), "Circle");
    EXPECT_TRUE(dialog.GroupBox2->isHidden());
    EXPECT_FALSE(dialog.SpinEdit2->isEnabled());
    EXPECT_EQ(dialog.GroupBox1->title(), "Diameter:");
    EXPECT_EQ(colorCaption(), QColor(255, 0, 0));
    EXPECT_EQ(dialog.PickedColor, 0x000000u); // the opening picks no colour

    EXPECT_EQ(host.shape->geometry(), shapeBefore);
    EXPECT_EQ(host.label->pos(), labelBefore);
    EXPECT_EQ(host.shape->shapeKind(), ShapeKind::Circle);
    EXPECT_FALSE(dialog.ShapeHintChanged || dialog.LabelHintChanged);
}

TEST_F(ShapeEditFixture, OpeningShowsOnlyExactBoldAsBoldAndOtherKindsAsNoSelection)
{
    addObject(1, QStringLiteral("Pump"));
    host.label->setBold(true);
    host.label->setFontFlags(true, false, false);
    host.shape->setShapeKind(ShapeKind::RoundRect);
    dialog.StyleComboBox2->setCurrentIndex(1);
    dialog.GroupBox1->setTitle(QStringLiteral("Diameter:"));
    dialog.GroupBox2->hide();

    dialog.LoadShapeEdit();

    EXPECT_EQ(dialog.StyleComboBox2->currentText(), "Normal");
    EXPECT_EQ(dialog.RectangeComboBox1->currentIndex(), -1);
    EXPECT_EQ(dialog.RectangeComboBox1->currentText(), "");
    // An unknown kind leaves the size groups as they were.
    EXPECT_EQ(dialog.GroupBox1->title(), "Diameter:");
    EXPECT_TRUE(dialog.GroupBox2->isHidden());
}

TEST_F(ShapeEditFixture, SelectorRuleFollowsTheExactTextTypedOrPicked)
{
    addObject(1, QStringLiteral("Pump"));
    open();
    QComboBox* selector = dialog.RectangeComboBox1;

    selector->lineEdit()->clear();
    typeInto(selector->lineEdit(), QStringLiteral("Circle"));
    EXPECT_TRUE(dialog.GroupBox2->isHidden());
    EXPECT_FALSE(dialog.SpinEdit2->isEnabled());
    EXPECT_EQ(dialog.GroupBox1->title(), "Diameter:");

    selector->lineEdit()->clear();
    typeInto(selector->lineEdit(), QStringLiteral("Ellipse"));
    EXPECT_FALSE(dialog.GroupBox2->isHidden());
    EXPECT_TRUE(dialog.SpinEdit2->isEnabled());
    EXPECT_EQ(dialog.GroupBox1->title(), "Width");

    // Lower case is no kind: the layout stays, and Return keeps the typed text.
    selector->lineEdit()->clear();
    typeInto(selector->lineEdit(), QStringLiteral("circle"));
    QTest::keyClick(selector->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(selector->currentText(), "circle");
    EXPECT_FALSE(dialog.GroupBox2->isHidden());
    EXPECT_EQ(dialog.GroupBox1->title(), "Width");

    emit selector->activated(selector->findText("Rectangle"));
    EXPECT_EQ(dialog.GroupBox1->title(), "Width");
    selector->setCurrentIndex(selector->findText("Rectangle"));
    dialog.RectangeComboBox1Change();
    EXPECT_EQ(dialog.GroupBox1->title(), "Width:");
}

TEST_F(ShapeEditFixture, OpeningARectangleAfterACircleShowsTheHeightGroupAgain)
{
    addObject(1, QStringLiteral("Pump"));
    host.shape->setShapeKind(ShapeKind::Circle);
    dialog.LoadShapeEdit();
    ASSERT_TRUE(dialog.GroupBox2->isHidden());
    dialog.Button1Click();

    addObject(2, QStringLiteral("Valve"));
    host.shape->resize(30, 50);
    dialog.LoadShapeEdit();
    EXPECT_FALSE(dialog.GroupBox2->isHidden());
    EXPECT_TRUE(dialog.SpinEdit2->isEnabled());
    EXPECT_EQ(dialog.GroupBox1->title(), "Width:");
    EXPECT_EQ(dialog.SpinEdit2->text(), "50");
}

TEST_F(ShapeEditFixture, SizeHeaderIsRefusedFirstThenAppliedAsEight)
{
    addObject(1, QStringLiteral("Pump"));
    host.label->setFontSize(10);
    open();
    dialog.SyzeComboBox4->setCurrentIndex(0);         // "Size"
    dialog.SpinEdit1->setText(QStringLiteral("abc")); // would be refused next
    const QPoint labelBefore = host.label->pos();

    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages, QStringList{SizeMessage});
    EXPECT_EQ(SizeMessage.size(), 60);
    EXPECT_EQ(dialog.SyzeComboBox4->currentText(), "8");
    EXPECT_EQ(host.label->fontSize(), 10);
    EXPECT_EQ(host.label->pos(), labelBefore);

    fake.dialogs.messages.clear();
    dialog.SpinEdit1->setText(QStringLiteral("30"));
    dialog.applyButClick();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_EQ(host.label->fontSize(), 8);
    EXPECT_EQ(dialog.NameLabel->fontSize(), 8);
}

TEST_F(ShapeEditFixture, CaptionSizeOutsideTheListOpensEmptyAndIsRefusedOnApply)
{
    addObject(1, QStringLiteral("Pump"));
    for (int size : {5, 13, 72}) {
        host.label->setFontSize(size);
        dialog.SyzeComboBox4->setCurrentIndex(3);
        open();
        EXPECT_EQ(dialog.SyzeComboBox4->currentIndex(), -1) << size;
        EXPECT_EQ(dialog.SyzeComboBox4->currentText(), "") << size;

        dialog.SpinEdit1->setText(QString()); // the size comes first
        dialog.applyButClick();
        EXPECT_EQ(fake.dialogs.messages, QStringList{SizeMessage}) << size;
        EXPECT_EQ(host.label->fontSize(), size);
        EXPECT_EQ(dialog.SpinEdit1->text(), "");
    }
}

TEST_F(ShapeEditFixture, WidthAndHeightThatAreNoIntegerAreNamedAndResetToTen)
{
    addObject(1, QStringLiteral("Pump"));
    open();
    const QRect before = host.shape->geometry();

    const QStringList bad = {"", "abc", "+", "-", "3.5", "12a", "99999999999", " 30"};
    for (const QString& text : bad) {
        fake.dialogs.messages.clear();
        dialog.SpinEdit1->setText(text);
        dialog.applyButClick();
        EXPECT_EQ(fake.dialogs.messages, QStringList{text + " is not an intiger!"})
            << text.toStdString();
        EXPECT_EQ(dialog.SpinEdit1->text(), "10");
    }
    for (const QString& text : bad) {
        fake.dialogs.messages.clear();
        dialog.SpinEdit2->setText(text);
        dialog.applyButClick();
        EXPECT_EQ(fake.dialogs.messages, QStringList{text + " is not an intiger!"})
            << text.toStdString();
        EXPECT_EQ(dialog.SpinEdit2->text(), "10");
    }
    EXPECT_EQ(host.shape->geometry(), before);

    // The hidden height field of a circle is examined too.
    dialog.RectangeComboBox1->setEditText(QStringLiteral("Circle"));
    dialog.RectangeComboBox1Change();
    dialog.SpinEdit2->setText(QStringLiteral("x"));
    fake.dialogs.messages.clear();
    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"x is not an intiger!"});
    EXPECT_EQ(host.shape->shapeKind(), ShapeKind::Rectangle);
}

TEST_F(ShapeEditFixture, SizesUpToTheMainWindowsOuterSizePassAndOneMoreIsRefused)
{
    addObject(1, QStringLiteral("Pump"));
    fake.desktop.screen = QSize(1920, 1000);
    open();

    dialog.SpinEdit1->setText(QStringLiteral("1821"));
    dialog.SpinEdit2->setText(QStringLiteral("20"));
    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Object width must be smaller than form width!"});
    EXPECT_EQ(dialog.SpinEdit1->text(), "10");
    EXPECT_EQ(host.shape->size(), QSize(30, 30));

    fake.dialogs.messages.clear();
    dialog.SpinEdit1->setText(QStringLiteral("1820"));
    dialog.SpinEdit2->setText(QStringLiteral("901"));
    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"Object height must be smaller than form height!"});
    EXPECT_EQ(dialog.SpinEdit2->text(), "10");
    EXPECT_EQ(host.shape->size(), QSize(30, 30));

    fake.dialogs.messages.clear();
    dialog.SpinEdit2->setText(QStringLiteral("900"));
    dialog.applyButClick();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_EQ(host.shape->size(), QSize(1820, 900));
    EXPECT_EQ(dialog.Shape1->size(), QSize(1820, 900));
}

TEST_F(ShapeEditFixture, KindAndSizeFollowTheSelectorTextExactly)
{
    addObject(1, QStringLiteral("Pump"));
    open();

    // A circle takes the width as its diameter, whatever the hidden height says.
    dialog.RectangeComboBox1->setEditText(QStringLiteral("Circle"));
    dialog.SpinEdit1->setText(QStringLiteral("30"));
    dialog.SpinEdit2->setText(QStringLiteral("500"));
    dialog.applyButClick();
    EXPECT_EQ(host.shape->shapeKind(), ShapeKind::Circle);
    EXPECT_EQ(host.shape->size(), QSize(30, 30));
    EXPECT_EQ(dialog.Shape1->shapeKind(), ShapeKind::Circle);
    EXPECT_EQ(dialog.Shape1->size(), QSize(30, 30));

    dialog.RectangeComboBox1->setEditText(QStringLiteral("Ellipse"));
    dialog.SpinEdit1->setText(QStringLiteral("60"));
    dialog.SpinEdit2->setText(QStringLiteral("20"));
    dialog.applyButClick();
    EXPECT_EQ(host.shape->shapeKind(), ShapeKind::Ellipse);
    EXPECT_EQ(host.shape->size(), QSize(60, 20));

    // Any other text, lower-case kinds included, changes neither kind nor size.
    for (const char* text : {"circle", "RECTANGLE", "Rectangle ", ""}) {
        dialog.RectangeComboBox1->setEditText(QLatin1String(text));
        dialog.SpinEdit1->setText(QStringLiteral("44"));
        dialog.SpinEdit2->setText(QStringLiteral("44"));
        dialog.applyButClick();
        EXPECT_EQ(host.shape->shapeKind(), ShapeKind::Ellipse) << text;
        EXPECT_EQ(host.shape->size(), QSize(60, 20)) << text;
        EXPECT_EQ(dialog.Shape1->size(), QSize(60, 20)) << text;
    }

    dialog.RectangeComboBox1->setEditText(QStringLiteral("Rectangle"));
    dialog.applyButClick();
    EXPECT_EQ(host.shape->shapeKind(), ShapeKind::Rectangle);
    EXPECT_EQ(host.shape->size(), QSize(44, 44));
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(ShapeEditFixture, CaptionTakesSizeStyleVisibilityAndPlacement)
{
    addObject(1, QStringLiteral("Pump"));
    host.shape->move(100, 200);
    host.label->setFontFlags(true, true, false);
    open();

    dialog.SyzeComboBox4->setCurrentText(QStringLiteral("8"));
    dialog.StyleComboBox2->setCurrentText(QStringLiteral("Bold"));
    dialog.applyButClick();
    const QFont font = host.label->font();
    EXPECT_TRUE(font.bold());
    EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());
    EXPECT_TRUE(dialog.NameLabel->isBold());
    EXPECT_EQ(host.label->pos(), QPoint(100, 200 - 15));
    EXPECT_EQ(dialog.NameLabel->y(), dialog.Shape1->y() - 15);

    // "Style" and "Normal" both make plain text.
    dialog.StyleComboBox2->setCurrentText(QStringLiteral("Style"));
    dialog.SyzeComboBox4->setCurrentText(QStringLiteral("10"));
    dialog.applyButClick();
    EXPECT_FALSE(host.label->isBold());
    EXPECT_EQ(host.label->fontSize(), 10);
    EXPECT_EQ(host.label->y(), 200 - 20);

    // Only the exact word shows the caption.
    for (const char* text : {"Visible ", "visible", "Invisible", ""}) {
        host.label->show();
        dialog.VisibleComboBox3->setEditText(QLatin1String(text));
        dialog.applyButClick();
        EXPECT_TRUE(host.label->isHidden()) << text;
        EXPECT_TRUE(dialog.NameLabel->isHidden()) << text;
    }
    dialog.VisibleComboBox3->setEditText(QStringLiteral("Visible"));
    dialog.applyButClick();
    EXPECT_FALSE(host.label->isHidden());
    EXPECT_FALSE(dialog.NameLabel->isHidden());

    // The shape's left edge and the caption's left edge are never moved.
    EXPECT_EQ(host.label->x(), 100);
    EXPECT_EQ(host.shape->pos(), QPoint(100, 200));
}

TEST_F(ShapeEditFixture, TypedVisibleWithATrailingBlankHidesTheCaption)
{
    addObject(1, QStringLiteral("Pump"));
    open();
    QLineEdit* field = dialog.VisibleComboBox3->lineEdit();
    field->clear();
    typeInto(field, QStringLiteral("Visible "));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(dialog.VisibleComboBox3->currentText(), "Visible ");
    dialog.applyButClick();
    EXPECT_TRUE(host.label->isHidden());
}

TEST_F(ShapeEditFixture, PlacementFollowsTheProgramsRoundingMode)
{
    RoundingGuard guard;
    addObject(1, QStringLiteral("Pump"));
    host.shape->move(100, 200);
    open();

    dialog.FormPaint();
    EXPECT_EQ(dialog.NameLabel->y(), dialog.Shape1->y() - 18);

    setRoundingMode(RoundingMode::Downward);
    dialog.FormPaint();
    EXPECT_EQ(dialog.NameLabel->y(), dialog.Shape1->y() - 19);
    dialog.applyButClick();
    EXPECT_EQ(host.label->y(), 200 - 16);
    EXPECT_EQ(dialog.NameLabel->y(), dialog.Shape1->y() - 16);

    // Every repaint puts the preview caption back at k = 4.
    dialog.grab();
    EXPECT_EQ(dialog.NameLabel->y(), dialog.Shape1->y() - 19);
}

TEST_F(ShapeEditFixture, HintFlagsAreSetOnlyByKeysThatLeaveADifferentText)
{
    addObject(1, QStringLiteral("Pump"));
    open();

    // Typing a character and taking it back leaves the text as loaded.
    dialog.Edit1->setFocus();
    QTest::keyClick(dialog.Edit1, Qt::Key_End);
    EXPECT_FALSE(dialog.ShapeHintChanged);
    QTest::keyClick(dialog.Edit1, Qt::Key_X);
    EXPECT_TRUE(dialog.ShapeHintChanged);
    QTest::keyClick(dialog.Edit1, Qt::Key_Backspace);
    EXPECT_EQ(dialog.Edit1->text(), "Shape1");
    EXPECT_TRUE(dialog.ShapeHintChanged); // never cleared by a key
    EXPECT_FALSE(dialog.LabelHintChanged);

    // Letter case counts.
    dialog.Edit2->setText(QStringLiteral("label1"));
    QTest::keyClick(dialog.Edit2, Qt::Key_Shift);
    EXPECT_TRUE(dialog.LabelHintChanged);
}

TEST_F(ShapeEditFixture, UniqueHintsAreStoredAndTheFlagsCleared)
{
    addObject(1, QStringLiteral("Pump"));
    addObject(2, QStringLiteral("Valve"));
    open();

    dialog.Edit1->setText(QStringLiteral("Main pump shape"));
    dialog.Edit2->setText(QStringLiteral("Main pump"));
    dialog.Edit1KeyUp();
    dialog.Edit2KeyUp();
    dialog.applyButClick();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_EQ(host.shape->hint(), "Main pump shape");
    EXPECT_EQ(host.label->hint(), "Main pump");
    EXPECT_FALSE(dialog.ShapeHintChanged || dialog.LabelHintChanged);
    EXPECT_EQ(host.window.model().shapes()[0]->hint(), "Shape1");

    // Without a key release the fields are not examined.
    dialog.Edit1->setText(QStringLiteral("Other"));
    dialog.applyButClick();
    EXPECT_EQ(host.shape->hint(), "Main pump shape");

    // Only the letters A to Z match across case.
    host.window.model().shapes()[0]->setHint(QStringLiteral("Pumpé"));
    dialog.Edit1->setText(QStringLiteral("PUMPÉ"));
    dialog.Edit1KeyUp();
    dialog.applyButClick();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_EQ(host.shape->hint(), "PUMPÉ");
    dialog.Edit1->setText(QStringLiteral("PUMPé"));
    dialog.Edit1KeyUp();
    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages, QStringList{" You have alredy shape hint with same text!"});
    EXPECT_EQ(host.shape->hint(), "PUMPÉ");
}

TEST_F(ShapeEditFixture, HintUsedByAnyElementIsRefusedAndTheRestStillApplies)
{
    addObject(1, QStringLiteral("Pump"));
    addObject(2, QStringLiteral("Valve"));
    host.shape->move(300, 200);
    open();

    // Differs from object 1's shape hint only in letter case.
    dialog.Edit1->setText(QStringLiteral("sHAPE1"));
    dialog.Edit1KeyUp();
    // Typed back to the object's own hint after an edit: matches itself.
    dialog.Edit2->setText(QStringLiteral("Label2x"));
    dialog.Edit2KeyUp();
    dialog.Edit2->setText(QStringLiteral("LABEL2"));
    dialog.SyzeComboBox4->setCurrentText(QStringLiteral("12"));
    dialog.StyleComboBox2->setCurrentText(QStringLiteral("Bold"));
    dialog.VisibleComboBox3->setEditText(QStringLiteral("Invisible"));
    fake.dialogs.colorAnswers.append(QColor(0, 0, 255));
    dialog.SpeedButton1Click();

    dialog.applyButClick();

    EXPECT_EQ(fake.dialogs.messages, QStringList({" You have alredy name hint with same text!",
                                                  " You have alredy shape hint with same text!"}));
    EXPECT_EQ(host.shape->hint(), "Shape2");
    EXPECT_EQ(host.label->hint(), "Label2");
    EXPECT_EQ(dialog.Edit1->text(), "Shape2");
    EXPECT_EQ(dialog.Edit2->text(), "Label2");
    EXPECT_FALSE(dialog.ShapeHintChanged || dialog.LabelHintChanged);
    EXPECT_EQ(host.label->fontSize(), 12);
    EXPECT_TRUE(host.label->isBold());
    EXPECT_TRUE(host.label->isHidden());
    EXPECT_EQ(host.label->fontColor(), 0xFF0000u);
    // 768 pixels high, 12 points, k = 1: 6 + round(12 * 13 / 8) = 26.
    EXPECT_EQ(host.label->y(), 200 - 26);
}

TEST_F(ShapeEditFixture, EmptyHintIsRefusedWhileAnotherElementHasNone)
{
    addObject(1, QStringLiteral("Pump"));
    host.label->setHint(QString());
    addObject(2, QStringLiteral("Valve"));
    open();
    dialog.Edit2->clear();
    dialog.Edit2KeyUp();
    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages, QStringList{" You have alredy name hint with same text!"});
    EXPECT_EQ(host.label->hint(), "Label2");
}

TEST_F(ShapeEditFixture, ShowingAHintMovesThePointerBelowTheElementAndShowsItsHint)
{
    host.window.move(0, 0);
    host.window.show();
    addObject(1, QStringLiteral("Pump"));
    host.shape->show();
    host.label->show();
    open();
    // The dialog stands elsewhere, so the element is not covered.
    dialog.move(1000, 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host.window));

    dialog.Edit1->setText(QStringLiteral("Pressure pump"));
    dialog.Edit1KeyUp();
    dialog.applyButClick();

    const QPoint corner = host.window.globalPoint(host.shape->pos() + QPoint(1, 1));
    EXPECT_EQ(fake.pointer.at, corner + QPoint(0, 4));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Pressure pump");

    // A refused hint is shown as well: the element's own, unchanged one.
    QToolTip::hideText();
    dialog.Edit2->setText(QStringLiteral("label1"));
    dialog.Edit2KeyUp();
    dialog.applyButClick();
    EXPECT_EQ(fake.pointer.at, host.window.globalPoint(host.label->pos() + QPoint(1, 5)));
    EXPECT_EQ(QToolTip::text(), "Label1");
    QToolTip::hideText();
    host.window.hide();
}

TEST_F(ShapeEditFixture, ColourIsPickedRefusedWhenWhiteAndKeptWithoutAPick)
{
    addObject(1, QStringLiteral("Pump"));
    host.label->setFontColor(0x008000);
    open();
    EXPECT_EQ(colorCaption(), QColor(0, 128, 0));

    // Without a pick since the opening the caption keeps its own colour.
    dialog.applyButClick();
    EXPECT_EQ(host.label->fontColor(), 0x008000u);
    EXPECT_EQ(dialog.NameLabel->fontColor(), 0x008000u);

    // Cancelled: nothing.
    fake.dialogs.colorAnswers.append(std::nullopt);
    dialog.SpeedButton1Click();
    EXPECT_FALSE(dialog.colorPickedSinceOpening());

    fake.dialogs.colorAnswers.append(QColor(255, 0, 0));
    dialog.SpeedButton1Click();
    EXPECT_EQ(dialog.PickedColor, 0x0000FFu);
    EXPECT_EQ(colorCaption(), QColor(255, 0, 0));
    EXPECT_EQ(dialog.NameLabel->fontColor(), 0x008000u); // not before Apply

    fake.dialogs.colorAnswers.append(QColor(255, 255, 255));
    dialog.SpeedButton1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Sorry but You can not use white color!"});
    EXPECT_EQ(dialog.PickedColor, 0x0000FFu);
    EXPECT_EQ(colorCaption(), QColor(255, 0, 0));

    dialog.applyButClick();
    EXPECT_EQ(host.label->fontColor(), 0x0000FFu);
    EXPECT_EQ(dialog.NameLabel->fontColor(), 0x0000FFu);

    // Black picked on purpose is applied.
    fake.dialogs.colorAnswers.append(QColor(0, 0, 0));
    dialog.SpeedButton1Click();
    dialog.applyButClick();
    EXPECT_EQ(host.label->fontColor(), 0x000000u);

    // A new opening draws the object's colour and forgets the pick.
    host.label->setFontColor(0x008000);
    open();
    EXPECT_EQ(colorCaption(), QColor(0, 128, 0));
    dialog.applyButClick();
    EXPECT_EQ(host.label->fontColor(), 0x008000u);
}

// Records where the colour chooser opens.
class RecordingDialogs : public TestDialogs {
public:
    std::optional<QColor> chooseColor(const QColor& initial) override
    {
        openedAt.append(initial);
        return TestDialogs::chooseColor(initial);
    }
    QList<QColor> openedAt;
};

TEST(ShapeEditColourChooser, OpensAtTheColourItLastReturnedWhiteIncluded)
{
    FakePlatform fake;
    RecordingDialogs dialogs;
    Platform platform{dialogs,
                      fake.desktop,
                      fake.clock,
                      fake.processes,
                      fake.shell,
                      fake.pointer,
                      fake.sound,
                      fake.notifications,
                      fake.platform.programFolder,
                      fake.platform.programFileName,
                      fake.platform.settingsFolder,
                      fake.platform.userSettingsFile};
    FakeBoardHost host;
    TShapeEdit dialog(host, platform);

    dialogs.colorAnswers = {QColor(10, 20, 30), QColor(255, 255, 255), std::nullopt,
                            QColor(1, 2, 3)};
    for (int i = 0; i < 4; ++i)
        dialog.SpeedButton1Click();
    EXPECT_EQ(dialogs.openedAt, QList<QColor>({QColor(0, 0, 0), QColor(10, 20, 30),
                                               QColor(255, 255, 255), QColor(255, 255, 255)}));
    EXPECT_EQ(dialog.PickedColor, 0x030201u);
}

TEST_F(ShapeEditFixture, OpeningClearsHintFlagsLeftByACancelledEdit)
{
    addObject(1, QStringLiteral("Pump"));
    open();
    dialog.Edit1->setText(QStringLiteral("Typed then cancelled"));
    dialog.Edit1KeyUp();
    dialog.Edit2->setText(QStringLiteral("Also cancelled"));
    dialog.Edit2KeyUp();
    dialog.Button1Click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(host.shape->hint(), "Shape1"); // Cancel applies nothing

    open();
    EXPECT_FALSE(dialog.ShapeHintChanged || dialog.LabelHintChanged);
    dialog.applyButClick();
    EXPECT_EQ(host.shape->hint(), "Shape1");
    EXPECT_EQ(host.label->hint(), "Label1");
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

TEST_F(ShapeEditFixture, CancelHidesWithoutUndoingAnEarlierApply)
{
    addObject(1, QStringLiteral("Pump"));
    open();
    dialog.SpinEdit1->setText(QStringLiteral("70"));
    dialog.SpinEdit2->setText(QStringLiteral("20"));
    dialog.applyButClick();
    EXPECT_TRUE(dialog.isVisible()); // Apply leaves it open
    QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(host.shape->size(), QSize(70, 20));
    // Controls keep their contents while hidden.
    EXPECT_EQ(dialog.SpinEdit1->text(), "70");
}

TEST_F(ShapeEditFixture, ApplyWithTheObjectRemovedChecksButChangesNothing)
{
    addObject(1, QStringLiteral("Pump"));
    addObject(2, QStringLiteral("Valve"));
    ObjectShape* other = host.window.model().shapes()[0];
    ObjectLabel* otherLabel = host.window.model().labels()[0];
    open();
    dialog.Edit1->setText(QStringLiteral("New"));
    dialog.Edit1KeyUp();
    fake.dialogs.colorAnswers.append(QColor(255, 0, 0));
    dialog.SpeedButton1Click();
    const QPoint previewTop = dialog.NameLabel->pos();
    delete host.shape;
    delete host.label;
    ASSERT_TRUE(host.currentShape() == nullptr && host.currentLabel() == nullptr);

    // The checks still speak.
    dialog.SpinEdit1->setText(QStringLiteral("x"));
    dialog.applyButClick();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"x is not an intiger!"});

    fake.dialogs.messages.clear();
    dialog.SpinEdit1->setText(QStringLiteral("50"));
    dialog.SyzeComboBox4->setCurrentText(QStringLiteral("12"));
    dialog.applyButClick();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_EQ(other->size(), QSize(30, 30));
    EXPECT_EQ(other->hint(), "Shape1");
    EXPECT_EQ(otherLabel->fontSize(), 8);
    EXPECT_EQ(dialog.NameLabel->fontSize(), 8);
    EXPECT_EQ(dialog.NameLabel->pos(), previewTop);
    EXPECT_TRUE(dialog.ShapeHintChanged);
}

TEST_F(ShapeEditFixture, ApplyActsOnTheObjectCurrentWhenItIsPressed)
{
    addObject(1, QStringLiteral("Pump"));
    ObjectShape* first = host.shape;
    addObject(2, QStringLiteral("Valve"));
    ObjectShape* second = host.shape;
    host.shape = first;
    host.label = host.window.model().labels()[0];
    open();
    host.shape = second;
    host.label = host.window.model().labels()[1];
    dialog.SpinEdit1->setText(QStringLiteral("55"));
    dialog.applyButClick();
    EXPECT_EQ(second->width(), 55);
    EXPECT_EQ(first->width(), 30);
}

TEST_F(ShapeEditFixture, KeysNeitherEnterNorEscapeCloseOrApply)
{
    addObject(1, QStringLiteral("Pump"));
    open();
    dialog.SpinEdit1->setText(QStringLiteral("44"));
    dialog.applyBut->setFocus();
    QTest::keyClick(dialog.applyBut, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(host.shape->width(), 30);

    // The spin fields refuse letters with a beep and keep digits and signs.
    dialog.SpinEdit1->setText(QString());
    typeInto(dialog.SpinEdit1, QStringLiteral("1a-+"));
    EXPECT_EQ(dialog.SpinEdit1->text(), "1-+");
    EXPECT_EQ(fake.sound.beeps, 1);
}

} // namespace
