#include "shapes/ShapeCustom.h"
#include "shapes/ShapeNameU.h"
#include "shapes/SpinEdit.h"
#include "project/ObjectLabel.h"
#include "platform/Dialogs.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

class DefaultObject : public ::testing::Test {
protected:
    DefaultObject() { host.window.resize(1000, 700); }
    FakePlatform fake;
    FakeBoardHost host;
    TForm5 dialog{host, fake.platform};
    const DefaultObjectSettings& settings() const { return dialog.settings; }
};

TEST_F(DefaultObject, StartsWithTheBuiltInDefaults)
{
    EXPECT_EQ(dialog.windowTitle(), "Shape custom sttings");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(settings().WidthChosen || settings().HeightChosen || settings().ShapeKindChosen);
    EXPECT_EQ(settings().DefaultWidth, 0);
    EXPECT_EQ(settings().DefaultFontSize, 8);
    EXPECT_TRUE(settings().DefaultVisible);
    EXPECT_EQ(dialog.SpinEdit1->text(), "10");
    EXPECT_EQ(dialog.ComboBox4->currentText(), "Syze");
    EXPECT_EQ(dialog.ComboBox2->currentText(), "Style");
    EXPECT_EQ(dialog.ComboBox3->currentText(), "Visible");
    EXPECT_EQ(dialog.RectangleComboBox1->currentText(), "Rectangle");
    EXPECT_EQ(dialog.GroupBox4->title(), "Object  name");
    EXPECT_EQ(dialog.GroupBox1->title(), "Widith:");
    EXPECT_EQ(dialog.Label1->caption(), "Name");

    // Showing the dialog changes no setting.
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.GroupBox1->title(), "Widith:");
    EXPECT_FALSE(settings().WidthChosen || settings().ShapeKindChosen);
}

TEST_F(DefaultObject, EllipseRightAfterStartChoosesWidthButNotHeight)
{
    dialog.RectangleComboBox1->setCurrentText("Ellipse");
    EXPECT_EQ(settings().DefaultShapeKind, ShapeKind::Ellipse);
    EXPECT_TRUE(settings().ShapeKindChosen);
    EXPECT_TRUE(settings().WidthChosen);
    EXPECT_EQ(settings().DefaultWidth, 10);
    EXPECT_EQ(settings().DefaultHeight, 10);
    EXPECT_FALSE(settings().HeightChosen);
    EXPECT_EQ(dialog.GroupBox1->title(), "Width:");
}

TEST_F(DefaultObject, CircleHidesTheHeightAndRectangleShowsItAgain)
{
    dialog.SpinEdit1->setText("40");
    dialog.RectangleComboBox1->setCurrentText("Circle");
    EXPECT_TRUE(dialog.GroupBox2->isHidden());
    EXPECT_FALSE(dialog.SpinEdit2->isEnabled());
    EXPECT_EQ(dialog.GroupBox1->title(), "Diameter:");
    EXPECT_EQ(settings().DefaultHeight, 40);
    EXPECT_TRUE(settings().HeightChosen);
    EXPECT_EQ(dialog.Shape1->size(), QSize(40, 40));

    // Other text leaves the kind as it was.
    dialog.RectangleComboBox1->setCurrentText("circle");
    EXPECT_EQ(settings().DefaultShapeKind, ShapeKind::Circle);

    dialog.SpinEdit2->setText("25");
    dialog.RectangleComboBox1->setCurrentText("Rectangle");
    EXPECT_FALSE(dialog.GroupBox2->isHidden());
    EXPECT_TRUE(dialog.SpinEdit2->isEnabled());
    EXPECT_EQ(dialog.Shape1->size(), QSize(40, 25));
}

TEST_F(DefaultObject, SizesBeyondTheMainWindowsOuterSizeAreRefusedWithTen)
{
    // The main window's outer size is the desktop less 100 each way, whatever
    // size the window itself has at the moment.
    fake.desktop.screen = QSize(1920, 1000);
    dialog.SpinEdit1->setText("1820");
    EXPECT_EQ(settings().DefaultWidth, 1820) << "a width equal to the window passes";
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    dialog.SpinEdit1->setText("1821");
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Object width must be smaller than form width!"});
    EXPECT_EQ(dialog.SpinEdit1->text(), "10");
    EXPECT_EQ(settings().DefaultWidth, 10);

    fake.dialogs.messages.clear();
    dialog.SpinEdit2->setText("900");
    EXPECT_EQ(settings().DefaultHeight, 900);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    dialog.SpinEdit2->setText("901");
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"Object height must be smaller than form height!"});
    EXPECT_EQ(settings().DefaultHeight, 10);
}

TEST_F(DefaultObject, TypedTextIsNotCompletedIntoAListItem)
{
    dialog.show();
    for (QComboBox* combo : {dialog.ComboBox3, dialog.RectangleComboBox1}) {
        combo->lineEdit()->clear();
        combo->setFocus();
        QTest::keyClicks(combo, combo == dialog.ComboBox3 ? "Invisibl" : "E");
        EXPECT_EQ(combo->currentText(), combo == dialog.ComboBox3 ? "Invisibl" : "E")
            << combo->objectName().toStdString();
    }
    EXPECT_TRUE(settings().DefaultVisible) << "\"Invisibl\" is not \"Invisible\"";
    EXPECT_EQ(settings().DefaultShapeKind, ShapeKind::Rectangle) << "\"E\" is not \"Ellipse\"";
}

TEST_F(DefaultObject, AWidthWithAnUnreadableHeightStoresTheWidthAndReportsTheHeight)
{
    dialog.SpinEdit2->setText("1.5");
    EXPECT_FALSE(settings().HeightChosen) << "no whole number: nothing happens";
    dialog.SpinEdit1->setText("30");
    EXPECT_EQ(fake.dialogs.errors, QStringList{"'1.5' is not a valid integer value."});
    EXPECT_EQ(settings().DefaultWidth, 30);
    EXPECT_FALSE(settings().WidthChosen);
}

TEST_F(DefaultObject, SpinFieldsTakeDigitsSignsAndTheSeparatorOnly)
{
    dialog.show();
    dialog.SpinEdit1->setFocus();
    dialog.SpinEdit1->setText("");
    QTest::keyClicks(dialog.SpinEdit1, "1x2");
    EXPECT_EQ(dialog.SpinEdit1->text(), "12");
    EXPECT_EQ(fake.sound.beeps, 1);

    dialog.SpinEdit1->stepBy(1);
    EXPECT_EQ(dialog.SpinEdit1->text(), "13");
    SpinEdit field(1, 86400, 10);
    field.setText("86400");
    field.stepBy(5);
    EXPECT_EQ(field.text(), "86400");
    field.setText("-7");
    field.stepBy(-1);
    EXPECT_EQ(field.text(), "1");

    dialog.SpinEdit2->setText("-3");
    EXPECT_EQ(settings().DefaultHeight, -3) << "out of range passes while it stands";
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(dialog.SpinEdit2, &focusOut);
    EXPECT_EQ(dialog.SpinEdit2->text(), "1");
    EXPECT_EQ(settings().DefaultHeight, 1);
}

TEST_F(DefaultObject, CaptionLookFollowsTheListsExactly)
{
    dialog.ComboBox2->setCurrentText("Bold");
    dialog.ComboBox2Change();
    EXPECT_TRUE(settings().DefaultBold);
    EXPECT_TRUE(dialog.Label1->isBold());
    dialog.ComboBox2->setCurrentText("Style");
    dialog.ComboBox2Change();
    EXPECT_TRUE(settings().DefaultBold) << "\"Style\" changes nothing";

    dialog.ComboBox3->setCurrentText("Invisibl");
    EXPECT_TRUE(settings().DefaultVisible);
    dialog.ComboBox3->setCurrentText("Invisible");
    EXPECT_FALSE(settings().DefaultVisible);
    dialog.ComboBox3->setCurrentText("Invisible ");
    EXPECT_TRUE(settings().DefaultVisible);

    dialog.ComboBox4->setCurrentText("12");
    dialog.ComboBox4Change();
    EXPECT_EQ(settings().DefaultFontSize, 12);
    EXPECT_EQ(dialog.Label1->fontSize(), 12);
}

TEST_F(DefaultObject, WhiteIsRefusedAsCaptionColour)
{
    fake.dialogs.colorAnswers = {QColor(255, 255, 255), QColor(255, 0, 0), std::nullopt};
    dialog.SpeedButton1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Sorry but You can not use white color!"});
    EXPECT_EQ(settings().DefaultColor, 0u);
    dialog.SpeedButton1Click();
    EXPECT_EQ(settings().DefaultColor, 0x0000FFu);
    EXPECT_EQ(dialog.Label1->fontColor(), 0x0000FFu);
    dialog.SpeedButton1Click();
    EXPECT_EQ(settings().DefaultColor, 0x0000FFu);
}

class ObjectNameDialog : public ::testing::Test {
protected:
    FakePlatform fake;
    FakeBoardHost host;
    TShapeNameF dialog{host, fake.platform};
};

TEST_F(ObjectNameDialog, TypedRefusedCharactersAreSwallowedButPastedOnesPass)
{
    dialog.show();
    // No title: a blank, as Qt would show the program's name for an empty one.
    EXPECT_EQ(dialog.windowTitle(), NoTitle);
    QTest::keyClicks(dialog.Edit1, "Box:1\\A");
    EXPECT_EQ(dialog.Edit1->text(), "Box1A");
    dialog.Edit1->insert("a/b");
    EXPECT_EQ(dialog.Edit1->text(), "Box1Aa/b");
}

TEST_F(ObjectNameDialog, IsEmptiedAtEveryShowingAndWarnsOnAnEmptyClose)
{
    dialog.show();
    dialog.Edit1->setText("Left over");
    dialog.Button2->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_EQ(dialog.Edit1->text(), "Left over");

    dialog.show();
    EXPECT_TRUE(dialog.Edit1->text().isEmpty());
    EXPECT_TRUE(dialog.close());
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"You have not gave name to object, object will be deleted!"});
}

TEST_F(ObjectNameDialog, EnterAndEscapeCloseNothing)
{
    dialog.show();
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Button1->isDefault() || dialog.Button1->autoDefault());
}
