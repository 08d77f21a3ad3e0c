#include "project/BoardDigest.h"

#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "support/BoardFiles.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int Dpi = 96;

// An element of object 4, named and hinted as the program names it.
ElementState elementOfObject4(BoardElement::Kind kind, quint64 sequence, const QRect& geometry)
{
    const QString name =
        kind == BoardElement::Kind::Shape ? QStringLiteral("Shape4") : QStringLiteral("Label4");
    ElementState element;
    element.kind = kind;
    element.sequence = sequence;
    element.name = name;
    element.tag = 4;
    element.hint = name;
    element.geometry = geometry;
    return element;
}

ElementState shapeState()
{
    ElementState shape = elementOfObject4(BoardElement::Kind::Shape, 7, QRect(40, 80, 30, 40));
    shape.brushColor = 0x008000;
    return shape;
}

ElementState labelState()
{
    ElementState label = elementOfObject4(BoardElement::Kind::Caption, 8, QRect(40, 67, 36, 13));
    label.caption = QStringLiteral("Boiler");
    label.font = QFont(QStringLiteral("Tahoma"), 8);
    return label;
}

quint64 hashOf(const ElementState& shape, const ElementState& label)
{
    return BoardDigest::objectHash(&shape, &label);
}

TEST(BoardDigestTest, EveryValueTheFilesHoldChangesTheObjectsHash)
{
    using Change = std::function<void(ElementState & shape, ElementState & label)>;
    const std::vector<std::pair<const char*, Change>> changes = {
        {"left", [](ElementState& s, ElementState&) { s.geometry.translate(1, 0); }},
        {"top", [](ElementState& s, ElementState&) { s.geometry.translate(0, 1); }},
        // A move one way and back another: the fields must not cancel out.
        {"moved both ways", [](ElementState& s, ElementState&) { s.geometry.translate(1, -64); }},
        {"width", [](ElementState& s, ElementState&) { s.geometry.setWidth(31); }},
        {"height", [](ElementState& s, ElementState&) { s.geometry.setHeight(41); }},
        {"hidden", [](ElementState& s, ElementState&) { s.visible = false; }},
        {"missing from the file", [](ElementState& s, ElementState&) { s.missingFromFile = 1; }},
        {"shape", [](ElementState& s, ElementState&) { s.shapeKind = ShapeKind::Ellipse; }},
        {"brush style", [](ElementState& s, ElementState&) { s.brushStyle = BrushStyle::Cross; }},
        {"brush colour", [](ElementState& s, ElementState&) { s.brushColor = 0x008001; }},
        {"shape hint", [](ElementState& s, ElementState&) { s.hint = QStringLiteral("hot"); }},
        {"caption", [](ElementState&, ElementState& l) { l.caption = QStringLiteral("Boiler2"); }},
        {"caption hint", [](ElementState&, ElementState& l) { l.hint.clear(); }},
        {"caption place", [](ElementState&, ElementState& l) { l.geometry.translate(-1, 0); }},
        {"font family", [](ElementState&, ElementState& l) { l.font.setFamily("Arial"); }},
        {"font size", [](ElementState&, ElementState& l) { l.font.setPointSize(9); }},
        {"bold", [](ElementState&, ElementState& l) { l.font.setBold(true); }},
        {"italic", [](ElementState&, ElementState& l) { l.font.setItalic(true); }},
        {"underline", [](ElementState&, ElementState& l) { l.font.setUnderline(true); }},
        {"strike-out", [](ElementState&, ElementState& l) { l.font.setStrikeOut(true); }},
        {"font colour", [](ElementState&, ElementState& l) { l.fontColor = 0x0000FF; }},
    };
    const quint64 before = hashOf(shapeState(), labelState());
    for (const auto& [what, change] : changes) {
        ElementState shape = shapeState();
        ElementState label = labelState();
        change(shape, label);
        EXPECT_NE(hashOf(shape, label), before) << what;
    }
    // A shape alone, a caption alone and both are three objects.
    const ElementState shape = shapeState();
    const ElementState label = labelState();
    EXPECT_NE(BoardDigest::objectHash(&shape, nullptr), before);
    EXPECT_NE(BoardDigest::objectHash(nullptr, &label), before);
    EXPECT_NE(BoardDigest::objectHash(&shape, nullptr), BoardDigest::objectHash(nullptr, &shape));
}

TEST(BoardDigestTest, WhatDiffersFromCopyToCopyLeavesTheHashAlone)
{
    const quint64 before = hashOf(shapeState(), labelState());
    // Renumbered: names, number and the hints that named it.
    ElementState shape = shapeState();
    ElementState label = labelState();
    shape.tag = label.tag = 12;
    shape.name = shape.hint = QStringLiteral("Shape12");
    label.name = label.hint = QStringLiteral("Label12");
    // Elsewhere in the creation order, the file's font height kept.
    shape.sequence = 100;
    label.sequence = 101;
    label.storedFontHeight = -11;
    EXPECT_EQ(hashOf(shape, label), before);

    // A hint that names another number than its element's is kept as it is.
    shape.hint = QStringLiteral("Shape4");
    EXPECT_NE(hashOf(shape, label), before);
    ElementState other = shapeState();
    other.tag = 13;
    other.hint = QStringLiteral("Shape4");
    EXPECT_EQ(BoardDigest::objectHash(&shape, nullptr), BoardDigest::objectHash(&other, nullptr));
}

// A board of named objects, a second object of a name, an unnamed one and a
// shape without its caption, and some of each object's values changed.
void addMixedObjects(BoardModel& board)
{
    addObject(board, 1, "Boiler");
    addObject(board, 2, "Pump");
    addObject(board, 3, "Pump");
    addObject(board, 4, "?")->setShapeKind(ShapeKind::Circle);
    ObjectShape* alone = addObject(board, 5, "Valve");
    delete board.labelOf(alone);
    ObjectLabel* fancy = board.labelWithCaption("Boiler");
    QFont font = fancy->font();
    font.setBold(true);
    font.setPointSize(11);
    fancy->setFont(font);
    // As a font change leaves a caption: sized to its text.
    fancy->fitToText();
    fancy->setFontColor(0x0000FF);
    board.shapeOf(fancy)->setVisible(false);
}

TEST(BoardDigestTest, TheValuesWrittenDigestAsTheFilesReadBackDo)
{
    BoardModel board;
    addMixedObjects(board);
    const BoardRecords::FileValues shapes =
        BoardRecords::fileValues(board, BoardElement::Kind::Shape, Dpi);
    const BoardRecords::FileValues labels =
        BoardRecords::fileValues(board, BoardElement::Kind::Caption, Dpi);
    const BoardDigest written = BoardDigest::of(shapes, labels);
    EXPECT_EQ(written, BoardDigest::of(board));
    EXPECT_EQ(written.size(), 5);

    QByteArray shapeBytes;
    QByteArray labelBytes;
    QString error;
    ASSERT_TRUE(BoardRecords::fileBytes(shapes, &shapeBytes, &error));
    ASSERT_TRUE(BoardRecords::fileBytes(labels, &labelBytes, &error));
    BoardModel read;
    ASSERT_TRUE(BoardRecords::loadShapeBytes(read, shapeBytes, "shapes", &error));
    ASSERT_TRUE(BoardRecords::loadLabelBytes(read, labelBytes, "labels", Dpi, &error));
    EXPECT_EQ(BoardDigest::of(read), written);

    // Objects go by name; the second Pump, the unnamed one and the shape
    // alone by their element's name.
    for (const QString& key :
         {QStringLiteral("Boiler"), QStringLiteral("Pump"), QStringLiteral("\x01label3"),
          QStringLiteral("\x01label4"), QStringLiteral("\x01shape5")})
        EXPECT_TRUE(written.find(key)) << key.toStdString();
    EXPECT_FALSE(written.find(QStringLiteral("Valve")));
    EXPECT_NE(*written.find(QStringLiteral("Pump")), *written.find(QStringLiteral("\x01label3")));

    // One value changed is one object changed.
    board.labelWithCaption("Pump")->move(300, 300);
    const BoardDigest moved = BoardDigest::of(board);
    for (const QString& key : {QStringLiteral("Boiler"), QStringLiteral("\x01label3"),
                               QStringLiteral("\x01label4"), QStringLiteral("\x01shape5")})
        EXPECT_EQ(moved.find(key), written.find(key)) << key.toStdString();
    EXPECT_NE(moved.find(QStringLiteral("Pump")), written.find(QStringLiteral("Pump")));
}

} // namespace

// The base a merge starts from is digested as the files are read, not from
// the board they load: the two must agree on every object.
BoardDigest digestAsRead(const QByteArray& shapeBytes, const QByteArray& labelBytes,
                         BoardModel& board)
{
    QString error;
    BoardRecords::FileReader shapes(BoardElement::Kind::Shape, shapeBytes, "shapes", Dpi,
                                    board.defaultFont());
    BoardRecords::FileReader labels(BoardElement::Kind::Caption, labelBytes, "labels", Dpi,
                                    board.defaultFont());
    EXPECT_TRUE(shapes.load(
        board, [](BoardElement*) {}, &error))
        << error.toStdString();
    EXPECT_TRUE(labels.load(
        board, [](BoardElement*) {}, &error))
        << error.toStdString();
    return BoardDigest::of(shapes.takeDigests(), labels.takeDigests());
}

TEST(BoardDigestTest, TheFilesDigestedAsReadAreTheBoardTheyLoad)
{
    QByteArray shapeBytes;
    QByteArray labelBytes;
    QString error;
    {
        BoardModel board;
        addMixedObjects(board);
        // Enough objects for the captions to be measured on both threads,
        // some of one name and some in fonts of their own.
        for (int i = 10; i < 5000; ++i) {
            ObjectShape* shape =
                addObject(board, i, i % 7 == 0 ? QStringLiteral("Pump") : QString::number(i));
            if (i % 3 == 0) {
                ObjectLabel* label = board.labelOf(shape);
                QFont font = label->font();
                font.setPointSize(6 + i % 9);
                font.setItalic(i % 2 == 0);
                label->setFont(font);
                label->fitToText();
            } else if (i % 5 == 0) {
                // Sized otherwise than its text, as an older file may hold
                // it: it reads back sized to the text.
                board.labelOf(shape)->resize(200, 30);
            }
        }
        ASSERT_TRUE(BoardRecords::shapeFileBytes(board, &shapeBytes, &error));
        ASSERT_TRUE(BoardRecords::labelFileBytes(board, Dpi, &labelBytes, &error));
    }
    BoardModel read;
    const BoardDigest asRead = digestAsRead(shapeBytes, labelBytes, read);
    EXPECT_EQ(asRead.size(), 4995);
    EXPECT_EQ(asRead, BoardDigest::of(read));

    // And the sample project's files, as the Windows version wrote them.
    QFile shapeFile(QStringLiteral(VEXORIN_EXAMPLES "/Plant/fStreamShape.txt"));
    QFile labelFile(QStringLiteral(VEXORIN_EXAMPLES "/Plant/fStreamLabel.txt"));
    ASSERT_TRUE(shapeFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(labelFile.open(QIODevice::ReadOnly));
    BoardModel sample;
    const BoardDigest sampleRead = digestAsRead(shapeFile.readAll(), labelFile.readAll(), sample);
    EXPECT_EQ(sampleRead.size(), 5);
    EXPECT_EQ(sampleRead, BoardDigest::of(sample));
}
