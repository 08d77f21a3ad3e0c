#include "project/BoardModel.h"

#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "support/BoardFiles.h"

#include <gtest/gtest.h>

// Most names and captions are held by one element; the indexes must still
// find every element of a name or text shared by several, in creation order,
// whichever of them goes first.
TEST(BoardModelTest, ElementsSharingANameOrCaptionAreAllFoundWhicheverGoesFirst)
{
    BoardModel board;
    for (int n = 1; n <= 5; ++n)
        addObject(board, n, n % 2 ? QStringLiteral("Pump") : QStringLiteral("Tank %1").arg(n));
    QList<ObjectLabel*> pumps = board.labelsWithCaption(QStringLiteral("Pump"));
    ASSERT_EQ(pumps.size(), 3);
    EXPECT_EQ(pumps.at(0)->tag(), 1);
    EXPECT_EQ(pumps.at(2)->tag(), 5);

    // The first made goes: the others are still found, the next one first.
    delete board.shapeOf(pumps.at(0));
    delete pumps.at(0);
    pumps = board.labelsWithCaption(QStringLiteral("Pump"));
    ASSERT_EQ(pumps.size(), 2);
    EXPECT_EQ(board.labelWithCaption(QStringLiteral("Pump")), pumps.at(0));
    EXPECT_EQ(pumps.at(0)->tag(), 3);
    // One renamed away, then the last.
    pumps.at(0)->setCaption(QStringLiteral("Pump 3"));
    EXPECT_EQ(board.labelsWithCaption(QStringLiteral("Pump")), QList<ObjectLabel*>{pumps.at(1)});
    pumps.at(1)->setCaption(QStringLiteral("Pump 5"));
    EXPECT_EQ(board.labelWithCaption(QStringLiteral("Pump")), nullptr);
    EXPECT_EQ(board.labelWithCaption(QStringLiteral("Pump 3")), pumps.at(0));
    // An emptied caption is found by no text, as a new one is not.
    pumps.at(1)->setCaption(QString());
    new ObjectLabel(board);
    EXPECT_TRUE(board.labelsWithCaption(QString()).isEmpty());
    EXPECT_TRUE(board.labelsWithCaption(QStringLiteral("Pump 5")).isEmpty());

    // Element names ignore letter case: a second element of one name, as a
    // damaged file may hold, is found once the first is gone.
    ObjectShape* shape2 = board.shapeNamed(QStringLiteral("SHAPE2"));
    ASSERT_NE(shape2, nullptr);
    auto* twin = new ObjectShape(board);
    twin->setObjectName(QStringLiteral("shape2"));
    EXPECT_EQ(board.shapeNamed(QStringLiteral("Shape2")), shape2);
    delete shape2;
    EXPECT_EQ(board.shapeNamed(QStringLiteral("Shape2")), twin);
    delete twin;
    EXPECT_FALSE(board.hasElementNamed(QStringLiteral("Shape2")));
    EXPECT_TRUE(board.hasElementNamed(QStringLiteral("label4")));

    // An element without a name is found by none, before and after it has one.
    auto* unnamed = new ObjectShape(board);
    EXPECT_FALSE(board.hasElementNamed(QString()));
    unnamed->setObjectName(QStringLiteral("Shape9"));
    EXPECT_EQ(board.shapeNamed(QStringLiteral("shape9")), unnamed);
    unnamed->setObjectName(QString());
    EXPECT_FALSE(board.hasElementNamed(QStringLiteral("Shape9")));
    EXPECT_FALSE(board.hasElementNamed(QString()));
    delete unnamed;

    // Numbers go by the caption elements' names that are left: 1 is free again.
    EXPECT_EQ(board.nextObjectNumber(), 1);
}

// The indexes keep elements of one name or caption, and of names whose
// hashes meet, side by side in one table; taking one out moves the others up.
// Thousands of random makes, renames, caption changes and removals over a few
// names in mixed case, each followed by every lookup, find what a walk over
// the board finds.
TEST(BoardModelTest, LookupsAfterManyRandomChangesFindWhatAWalkOverTheBoardFinds)
{
    BoardModel board;
    std::vector<BoardElement*> live;
    const QStringList names{"Shape1", "SHAPE1", "shape2", "Label1", "label1",
                            "LABEL2", "Shape3", "Label3", "",       "Pump"};
    const QStringList captions{"Pump", "pump", "Tank", "", "Pump 2", "Ölpumpe", "水泵"};
    quint32 seed = 12345;
    const auto random = [&seed](std::size_t below) {
        seed = seed * 1103515245u + 12345u;
        return std::size_t(seed >> 8) % below;
    };
    const auto firstByWalk = [&](BoardElement::Kind kind, const QString& name) {
        BoardElement* first = nullptr;
        board.forEachElement([&](const BoardElement& element) {
            if (!first && element.kind() == kind && !name.isEmpty() &&
                element.objectName().compare(name, Qt::CaseInsensitive) == 0)
                first = const_cast<BoardElement*>(&element);
        });
        return first;
    };
    for (int step = 0; step < 4000; ++step) {
        const std::size_t what = live.empty() ? 0 : random(5);
        if (what == 0) {
            BoardElement* made = random(2) ? static_cast<BoardElement*>(new ObjectShape(board))
                                           : new ObjectLabel(board);
            made->setObjectName(names.at(random(names.size())));
            live.push_back(made);
        } else {
            const std::size_t at = random(live.size());
            BoardElement* element = live.at(at);
            if (what == 1) {
                element->setObjectName(names.at(random(names.size())));
            } else if (what == 2 && element->kind() == BoardElement::Kind::Caption) {
                static_cast<ObjectLabel*>(element)->setCaption(
                    captions.at(random(captions.size())));
            } else if (what >= 3 || live.size() > 60) {
                delete element;
                live.erase(live.begin() + std::ptrdiff_t(at));
            }
        }
        for (const QString& name : names) {
            ASSERT_EQ(board.shapeNamed(name), firstByWalk(BoardElement::Kind::Shape, name))
                << "step " << step << ", name " << name.toStdString();
            ASSERT_EQ(board.labelNamed(name), firstByWalk(BoardElement::Kind::Caption, name))
                << "step " << step << ", name " << name.toStdString();
        }
        for (const QString& caption : captions) {
            QList<ObjectLabel*> walked;
            if (!caption.isEmpty())
                for (ObjectLabel* label : board.labels())
                    if (label->caption() == caption)
                        walked.append(label);
            ASSERT_EQ(board.labelsWithCaption(caption), walked)
                << "step " << step << ", caption " << caption.toStdString();
        }
    }
}
