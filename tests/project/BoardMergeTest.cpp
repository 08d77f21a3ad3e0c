#include "project/BoardMerge.h"

#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "support/BoardFiles.h"

#include <QSet>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int Dpi = 96;

// A board as another copy reads it from the files of this one.
std::unique_ptr<BoardModel> copyOf(const BoardModel& board)
{
    QByteArray shapes;
    QByteArray labels;
    QString error;
    EXPECT_TRUE(BoardRecords::shapeFileBytes(board, &shapes, &error));
    EXPECT_TRUE(BoardRecords::labelFileBytes(board, Dpi, &labels, &error));
    auto copy = std::make_unique<BoardModel>();
    EXPECT_TRUE(BoardRecords::loadShapeBytes(*copy, shapes, "shapes", &error));
    EXPECT_TRUE(BoardRecords::loadLabelBytes(*copy, labels, "labels", Dpi, &error));
    return copy;
}

ObjectShape* shapeOf(const BoardModel& board, const QString& name)
{
    const ObjectLabel* label = board.labelWithCaption(name);
    return label ? board.shapeOf(label) : nullptr;
}

// Every caption has its shape of the same number and the reverse, and the
// board files written from it read back whole.
void expectConsistentPairs(const BoardModel& board)
{
    EXPECT_EQ(board.shapeCount(), board.labelCount());
    for (const ObjectLabel* label : board.labels()) {
        const ObjectShape* shape = board.shapeOf(label);
        ASSERT_NE(shape, nullptr) << label->caption().toStdString();
        EXPECT_EQ(shape->tag(), label->tag());
    }
    const std::unique_ptr<BoardModel> reread = copyOf(board);
    EXPECT_EQ(reread->labelCount(), board.labelCount());
}

class BoardMergeTest : public ::testing::Test {
protected:
    BoardMergeTest()
    {
        addObject(base, 1, "Boiler");
        addObject(base, 2, "Tank A");
        addObject(base, 3, "Pump");
        ours = copyOf(base);
        theirs = copyOf(base);
    }

    BoardMerge::Outcome merge() { return BoardMerge::merge(BoardDigest::of(base), *ours, *theirs); }

    BoardModel base;
    std::unique_ptr<BoardModel> ours;
    std::unique_ptr<BoardModel> theirs;
};

TEST_F(BoardMergeTest, EachSideKeepsWhatOnlyItChangedAndTakesTheOthersChanges)
{
    // Here Boiler moves; there Tank A moves and Pump turns red.
    shapeOf(*ours, "Boiler")->move(500, 400);
    shapeOf(*theirs, "Tank A")->move(700, 100);
    shapeOf(*theirs, "Pump")->setBrushColor(0x0000FF);

    const BoardMerge::Outcome outcome = merge();
    EXPECT_TRUE(outcome.keptOurs.isEmpty());
    EXPECT_EQ(outcome.takenFromTheirs, 2);
    EXPECT_EQ(shapeOf(*ours, "Boiler")->pos(), QPoint(500, 400));
    EXPECT_EQ(shapeOf(*ours, "Tank A")->pos(), QPoint(700, 100));
    EXPECT_EQ(shapeOf(*ours, "Pump")->brushColor(), 0x0000FFu);
    expectConsistentPairs(*ours);

    // Merged again with nothing new, nothing changes.
    const std::unique_ptr<BoardModel> merged = copyOf(*ours);
    EXPECT_EQ(BoardMerge::merge(BoardDigest::of(*merged), *ours, *merged).takenFromTheirs, 0);
}

TEST_F(BoardMergeTest, AnObjectBothChangedKeepsOursAndIsNamed)
{
    shapeOf(*ours, "Boiler")->move(500, 400);
    shapeOf(*theirs, "Boiler")->move(10, 10);
    // Both made the same change: no conflict.
    shapeOf(*ours, "Pump")->setBrushColor(0x00FFFF);
    shapeOf(*theirs, "Pump")->setBrushColor(0x00FFFF);

    const BoardMerge::Outcome outcome = merge();
    EXPECT_EQ(outcome.keptOurs, QStringList{"Boiler"});
    EXPECT_EQ(shapeOf(*ours, "Boiler")->pos(), QPoint(500, 400));
    EXPECT_EQ(shapeOf(*ours, "Pump")->brushColor(), 0x00FFFFu);
}

TEST_F(BoardMergeTest, ARemovalOnOneSideGivesWayToAnEditOnTheOther)
{
    // There Boiler is removed while it is moved here; here Tank A is removed
    // while it is recoloured there; Pump is removed there and left alone here.
    shapeOf(*ours, "Boiler")->move(500, 400);
    delete theirs->labelWithCaption("Boiler");
    delete theirs->shapeNamed("Shape1");
    delete ours->labelWithCaption("Tank A");
    delete ours->shapeNamed("Shape2");
    shapeOf(*theirs, "Tank A")->setBrushColor(0x0000FF);
    delete theirs->labelWithCaption("Pump");
    delete theirs->shapeNamed("Shape3");

    const BoardMerge::Outcome outcome = merge();
    EXPECT_TRUE(outcome.keptOurs.isEmpty());
    ASSERT_NE(shapeOf(*ours, "Boiler"), nullptr);
    EXPECT_EQ(shapeOf(*ours, "Boiler")->pos(), QPoint(500, 400));
    ASSERT_NE(shapeOf(*ours, "Tank A"), nullptr);
    EXPECT_EQ(shapeOf(*ours, "Tank A")->brushColor(), 0x0000FFu);
    EXPECT_EQ(shapeOf(*ours, "Pump"), nullptr);
    EXPECT_EQ(ours->shapeCount(), 2);
    expectConsistentPairs(*ours);
}

TEST_F(BoardMergeTest, ObjectsAddedOnBothSidesUnderOneNumberAreAllKeptInPairs)
{
    addObject(*ours, 4, "Valve");
    addObject(*theirs, 4, "Filter");
    addObject(*theirs, 5, "Fan");

    const BoardMerge::Outcome outcome = merge();
    EXPECT_TRUE(outcome.keptOurs.isEmpty());
    ASSERT_NE(shapeOf(*ours, "Valve"), nullptr);
    ASSERT_NE(shapeOf(*ours, "Filter"), nullptr);
    ASSERT_NE(shapeOf(*ours, "Fan"), nullptr);
    EXPECT_EQ(ours->labelWithCaption("Valve")->tag(), 4);
    EXPECT_EQ(ours->labelWithCaption("Fan")->tag(), 5);
    // Filter's number was taken here: it gets a free one, its shape with it.
    const ObjectLabel* filter = ours->labelWithCaption("Filter");
    EXPECT_NE(filter->tag(), 4);
    EXPECT_EQ(filter->objectName(), QStringLiteral("Label%1").arg(filter->tag()));
    EXPECT_EQ(shapeOf(*ours, "Filter")->pos(), QPoint(40, 80)); // where it was placed there
    QSet<int> numbers;
    for (const ObjectLabel* label : ours->labels())
        numbers.insert(label->tag());
    EXPECT_EQ(numbers.size(), 6);
    expectConsistentPairs(*ours);

    // There Filter moves, under the number it has there: the move comes in,
    // the renumbering here being no change of this copy's.
    const std::unique_ptr<BoardModel> read = copyOf(*theirs);
    shapeOf(*theirs, "Filter")->move(300, 200);
    const BoardMerge::Outcome next = BoardMerge::merge(BoardDigest::of(*read), *ours, *theirs);
    EXPECT_TRUE(next.keptOurs.isEmpty()) << next.keptOurs.join(", ").toStdString();
    EXPECT_EQ(next.takenFromTheirs, 1);
    EXPECT_EQ(shapeOf(*ours, "Filter")->pos(), QPoint(300, 200));
    EXPECT_EQ(ours->labelWithCaption("Filter")->tag(), filter->tag());
    expectConsistentPairs(*ours);
}

} // namespace
