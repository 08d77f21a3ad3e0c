#include "main/Body.h"
#include "board/Board.h"
#include "shapes/ShaprEditU.h"
#include "shapes/SpinEdit.h"
#include "support/FakePlatform.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// An object edited into a bold red circle with a hint comes back so after the
// project is saved and the program starts again.
TEST(ShapeEditRoundTrip, EditedObjectComesBackAfterARestart)
{
    FakePlatform fake;
    QTemporaryDir projectDir;
    ASSERT_TRUE(projectDir.isValid());
    auto form = std::make_unique<TForm1>(fake.platform);
    form->Timer1->stop();
    form->resize(1000, 700);
    form->project().open(QDir::toNativeSeparators(projectDir.path()), QStringLiteral("Plant"));

    auto* shape = new ObjectShape(form->board().model());
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setTag(1);
    shape->setHint(QStringLiteral("Shape1"));
    shape->setGeometry(120, 200, 30, 20);
    shape->setBrushColor(0x008000);
    auto* label = new ObjectLabel(form->board().model());
    label->setObjectName(QStringLiteral("Label1"));
    label->setTag(1);
    label->setHint(QStringLiteral("Label1"));
    label->move(120, 187);
    label->setCaption(QStringLiteral("Boiler"));
    form->CurrentShape = shape;
    form->CurrentLabel = label;

    TShapeEdit edit(*form, fake.platform);
    edit.LoadShapeEdit();
    ASSERT_EQ(edit.windowTitle(), "Shape edit for Boiler");

    edit.RectangeComboBox1->setCurrentIndex(edit.RectangeComboBox1->findText("Circle"));
    emit edit.RectangeComboBox1->activated(edit.RectangeComboBox1->currentIndex());
    edit.SpinEdit1->setText(QStringLiteral("40"));
    edit.SyzeComboBox4->setCurrentIndex(edit.SyzeComboBox4->findText("10"));
    edit.StyleComboBox2->setCurrentIndex(edit.StyleComboBox2->findText("Bold"));
    fake.dialogs.colorAnswers.append(QColor(255, 0, 0));
    QTest::mouseClick(edit.SpeedButton1, Qt::LeftButton);
    edit.Edit1->selectAll();
    QTest::keyClicks(edit.Edit1, QStringLiteral("Gas boiler"));
    edit.Edit2->selectAll();
    QTest::keyClicks(edit.Edit2, QStringLiteral("Boiler room"));
    QTest::mouseClick(edit.applyBut, Qt::LeftButton);
    ASSERT_TRUE(fake.dialogs.messages.isEmpty()) << fake.dialogs.messages.join('|').toStdString();

    ASSERT_TRUE(form->SaveProject());
    form.reset();

    TForm1 again(fake.platform);
    again.Timer1->stop();
    again.Timer1Timer();
    ASSERT_EQ(again.boardModel().shapes().size(), 1);
    ASSERT_EQ(again.boardModel().labels().size(), 1);
    const ObjectShape* shapeBack = again.boardModel().shapes()[0];
    const ObjectLabel* labelBack = again.boardModel().labels()[0];
    EXPECT_EQ(shapeBack->shapeKind(), ShapeKind::Circle);
    EXPECT_EQ(shapeBack->geometry(), QRect(120, 200, 40, 40));
    EXPECT_EQ(shapeBack->hint(), "Gas boiler");
    EXPECT_EQ(labelBack->caption(), "Boiler");
    EXPECT_EQ(labelBack->fontSize(), 10);
    EXPECT_TRUE(labelBack->isBold());
    EXPECT_EQ(labelBack->fontColor(), 0x0000FFu);
    EXPECT_EQ(labelBack->hint(), "Boiler room");
    EXPECT_FALSE(labelBack->isHidden());
    // 1080 pixels high: 6 + round(10 * 11 / 11) = 16 above the shape.
    EXPECT_EQ(labelBack->pos(), QPoint(120, 200 - 16));
}

} // namespace
