#include "project/BoardRecords.h"

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "stream/FontHeight.h"
#include "support/BoardFiles.h"
#include "support/Files.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int DotsPerInch = 96;

QByteArray shortString(const QByteArray& s)
{
    return char(s.size()) + s;
}

// The names of a record's properties, in the order written.
QString propertyNames(const stream::Record& record)
{
    QStringList names;
    for (const stream::Property& p : record.properties)
        names << QString::fromLatin1(p.name);
    return names.join(' ');
}

// Every record of a board file.
QList<stream::Record> records(const QString& path)
{
    QList<stream::Record> all;
    QFile device(path);
    EXPECT_TRUE(device.open(QIODevice::ReadOnly)) << path.toStdString();
    stream::RecordReader reader(&device);
    while (!reader.atEnd()) {
        stream::Record record;
        if (!reader.read(record)) {
            ADD_FAILURE() << reader.errorString().toStdString();
            break;
        }
        all.append(record);
    }
    return all;
}

} // namespace

// A board model and its two board files in a folder of their own.
class BoardFile : public ::testing::Test {
protected:
    QString shapeFile() const { return folder.filePath("fStreamShape.txt"); }
    QString labelFile() const { return folder.filePath("fStreamLabel.txt"); }

    // Writes both board files of the board.
    void save(const BoardModel& from)
    {
        QByteArray shapes;
        QByteArray labels;
        QString error;
        ASSERT_TRUE(BoardRecords::shapeFileBytes(from, &shapes, &error)) << error.toStdString();
        ASSERT_TRUE(BoardRecords::labelFileBytes(from, DotsPerInch, &labels, &error))
            << error.toStdString();
        ASSERT_TRUE(BoardRecords::saveFile(shapeFile(), shapes, &error)) << error.toStdString();
        ASSERT_TRUE(BoardRecords::saveFile(labelFile(), labels, &error)) << error.toStdString();
    }

    // Loads either board file into the board; false and *error as the loader gives them.
    bool loadShapes(BoardModel& into, QString* error)
    {
        return BoardRecords::loadShapes(
            into, shapeFile(), [](ObjectShape*) {}, error);
    }
    bool loadLabels(BoardModel& into, QString* error)
    {
        return BoardRecords::loadLabels(
            into, labelFile(), DotsPerInch, [](ObjectLabel*) {}, error);
    }

    QTemporaryDir folder;
    BoardModel board;
};

TEST_F(BoardFile, ShapeRecordIsWrittenByteForByte)
{
    ObjectShape* shape = addObject(board, 5, QStringLiteral("Plans"));
    shape->setBrushColor(0x0000FF);
    ASSERT_NO_FATAL_FAILURE(save(board));

    QByteArray expected = "TPF0" + shortString("TShape") + shortString("Shape5");
    expected += shortString("Tag") + "\x02\x05";
    expected += shortString("Left") + "\x02\x32";
    expected += shortString("Top") + QByteArray("\x02\x64", 2);
    expected += shortString("Width") + "\x02\x1E";
    expected += shortString("Height") + "\x02\x28";
    expected += shortString("Hint") + "\x06" + shortString("Shape5");
    expected += shortString("Brush.Color") + "\x07" + shortString("clRed");
    expected += shortString("ParentShowHint") + "\x08";
    expected += shortString("ShowHint") + "\x09";
    expected += QByteArray(2, '\0');
    EXPECT_EQ(readAll(shapeFile()).toHex(' '), expected.toHex(' '));
}

TEST_F(BoardFile, CaptionRecordCarriesEveryPropertyInOrder)
{
    addObject(board, 200, QStringLiteral("Plans"));
    ObjectLabel* label = board.labels().first();
    label->setFontSize(8);
    label->setFontColor(0x123456);
    const stream::Record record = BoardRecords::labelRecord(*label, DotsPerInch);

    EXPECT_EQ(propertyNames(record), "Tag Left Top Width Height Hint Caption Font.Charset "
                                     "Font.Color Font.Height Font.Name Font.Style ParentFont "
                                     "ParentShowHint ShowHint Transparent");
    EXPECT_EQ(record.className, "TLabel");
    EXPECT_EQ(record.properties[7].value.identifier, "DEFAULT_CHARSET");
    EXPECT_EQ(record.properties[8].value.kind, stream::Value::Kind::Integer);
    EXPECT_EQ(record.properties[8].value.integer, 0x123456);
    EXPECT_EQ(record.properties[9].value.integer, -11);
    EXPECT_EQ(record.properties[10].value.text, "Tahoma");
    EXPECT_TRUE(record.properties[11].value.set.isEmpty());
}

TEST_F(BoardFile, BoardLoadsBackPropertyByProperty)
{
    ObjectShape* hatched = addObject(board, 1, QStringLiteral("Plans"));
    hatched->setBrushStyle(BrushStyle::BDiagonal);
    hatched->setShapeKind(ShapeKind::Circle);
    hatched->setBrushColor(0x123456);
    hatched->setHint(QString(300, QLatin1Char('h')));
    ObjectShape* white = addObject(board, 2, QStringLiteral("Łódź ✓"));
    white->setBrushColor(0xFFFFFF);
    white->setShapeKind(ShapeKind::RoundSquare);
    ObjectLabel* hidden = board.labels().at(1);
    hidden->hide();
    hidden->setBold(true);
    hidden->setFontSize(12);
    hidden->setFontColor(0xFF00000F);
    hidden->setHint(QString());

    ASSERT_NO_FATAL_FAILURE(save(board));
    QList<stream::Record> shapesBefore;
    for (ObjectShape* s : board.shapes())
        shapesBefore << BoardRecords::shapeRecord(*s);

    BoardModel loaded;
    QList<ObjectShape*> shapesRead;
    QList<ObjectLabel*> labelsRead;
    QString error;
    ASSERT_TRUE(BoardRecords::loadShapes(
        loaded, shapeFile(), [&](ObjectShape* shape) { shapesRead << shape; }, &error))
        << error.toStdString();
    ASSERT_TRUE(BoardRecords::loadLabels(
        loaded, labelFile(), DotsPerInch, [&](ObjectLabel* label) { labelsRead << label; }, &error))
        << error.toStdString();
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();

    const QList<ObjectShape*> shapes = loaded.shapes();
    const QList<ObjectLabel*> labels = loaded.labels();
    ASSERT_EQ(shapes.size(), 2);
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(shapesRead, shapes) << "each element is announced as it is read, in file order";
    EXPECT_EQ(labelsRead, labels);
    EXPECT_EQ(shapes[0]->brushStyle(), BrushStyle::BDiagonal);
    EXPECT_EQ(shapes[0]->shapeKind(), ShapeKind::Circle);
    EXPECT_EQ(shapes[0]->brushColor(), 0x123456u);
    EXPECT_EQ(shapes[0]->hint(), QString(300, QLatin1Char('h')));
    EXPECT_EQ(shapes[0]->geometry(), QRect(10, 20, 30, 40));
    EXPECT_EQ(shapes[1]->brushColor(), 0xFFFFFFu);
    EXPECT_EQ(shapes[1]->shapeKind(), ShapeKind::RoundSquare);
    EXPECT_FALSE(shapes[1]->isHidden()) << "hiding a caption leaves its shape visible";
    EXPECT_EQ(labels[1]->caption(), QStringLiteral("Łódź ✓"));
    EXPECT_TRUE(labels[1]->isHidden());
    EXPECT_TRUE(labels[1]->isBold());
    EXPECT_EQ(labels[1]->fontSize(), 12);
    EXPECT_EQ(labels[1]->fontColor(), 0xFF00000Fu);
    EXPECT_TRUE(labels[1]->hint().isEmpty());
    EXPECT_EQ(labels[0]->objectName(), "Label1");
    EXPECT_EQ(labels[0]->pos(), QPoint(10, 7));

    for (int i = 0; i < shapes.size(); ++i)
        EXPECT_EQ(propertyNames(BoardRecords::shapeRecord(*shapes[i])),
                  propertyNames(shapesBefore[i]));

    // Saving the loaded board again gives the same bytes.
    const QByteArray shapeBytes = readAll(shapeFile());
    const QByteArray labelBytes = readAll(labelFile());
    ASSERT_NO_FATAL_FAILURE(save(loaded));
    EXPECT_EQ(readAll(shapeFile()), shapeBytes);
    EXPECT_EQ(readAll(labelFile()), labelBytes);
}

TEST_F(BoardFile, ForeignWriterOrderAndWideStringsLoad)
{
    // Properties in another order, a wide-string caption, a lower-case name.
    stream::Record record;
    record.className = "TLabel";
    record.name = "label4";
    record.properties = {{"Caption", stream::Value::fromString("Pump"), -1},
                         {"Font.Style", stream::Value::fromSet({"fsBold"}), -1},
                         {"Tag", stream::Value::fromInteger(4), -1},
                         {"Font.Height", stream::Value::fromInteger(-13), -1},
                         {"Visible", stream::Value::fromBoolean(false), -1}};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(stream::RecordWriter(&buffer).write(record));
    // The program writes the caption as a short string; another writer as a
    // wide one: its length in UTF-16 units, then the text in UTF-16LE.
    const QByteArray shortCaption = "\x06\x04Pump";
    ASSERT_TRUE(bytes.contains(shortCaption));
    bytes.replace(shortCaption, QByteArray("\x12\x04\0\0\0P\0u\0m\0p\0", 13));
    writeAll(labelFile(), bytes);

    QString error;
    ASSERT_TRUE(loadLabels(board, &error)) << error.toStdString();
    ObjectLabel* label = board.labelNamed("Label4");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->caption(), "Pump");
    EXPECT_TRUE(label->isBold());
    EXPECT_EQ(label->fontSize(), 10);
    EXPECT_TRUE(label->isHidden());
}

TEST_F(BoardFile, DamagedBoardFileStopsWithItsPlaceAndKeepsWhatWasRead)
{
    for (int n = 1; n <= 3; ++n)
        addObject(board, n, QStringLiteral("Object %1").arg(n));
    ASSERT_NO_FATAL_FAILURE(save(board));

    for (const DamagedShapeFile& c : damagedShapeFiles(readAll(shapeFile()))) {
        SCOPED_TRACE(c.what);
        writeAll(shapeFile(), c.bytes);
        BoardModel loaded;
        QString error;
        EXPECT_FALSE(loadShapes(loaded, &error));
        EXPECT_TRUE(error.contains("fStreamShape.txt")) << error.toStdString();
        EXPECT_TRUE(error.contains(c.expected)) << error.toStdString();
        EXPECT_EQ(loaded.shapes().size(), c.kept);
        EXPECT_EQ(readAll(shapeFile()), c.bytes) << "the file stays as it was";
    }
}

TEST_F(BoardFile, ALargeFileDamagedLateOrEarlyNamesTheByteInTheFileAndIsStampedWhole)
{
    // Some megabytes: the file is read a window at a time, and the damage
    // lies far beyond the first window.
    constexpr int Objects = 25000;
    for (int n = 1; n <= Objects; ++n)
        addObject(board, n, QStringLiteral("Object %1").arg(n));
    ASSERT_NO_FATAL_FAILURE(save(board));
    const QByteArray whole = readAll(shapeFile());
    const QList<stream::Record> written = records(shapeFile());
    ASSERT_EQ(written.size(), Objects);
    ASSERT_GT(whole.size(), 3000000);

    const auto read = [&](const QByteArray& bytes, QString* error) {
        writeAll(shapeFile(), bytes);
        BoardModel loaded;
        BoardRecords::FileReader reader(BoardElement::Kind::Shape, shapeFile(), DotsPerInch,
                                        loaded.defaultFont());
        EXPECT_FALSE(reader.load(
            loaded, [](BoardElement*) {}, error));
        EXPECT_TRUE(reader.stamp().holds(bytes)) << "the stamp is of the whole file";
        return loaded.shapeCount();
    };
    // A wrong signature in the last record but one.
    const qint64 late = written.at(Objects - 2).offset;
    QByteArray damaged = whole;
    damaged[late] = 'X';
    QString error;
    EXPECT_EQ(read(damaged, &error), Objects - 2);
    EXPECT_TRUE(error.contains(QStringLiteral("at byte %1").arg(late))) << error.toStdString();

    // Cut inside the last record.
    EXPECT_EQ(read(whole.left(whole.size() - 5), &error), Objects - 1);
    EXPECT_TRUE(error.contains("bytes left")) << error.toStdString();

    // The second record named as the first: the load stops there, and the
    // rest of the file is still read for its stamp.
    QByteArray twice = whole;
    const stream::Record& second = written.at(1);
    ASSERT_EQ(written.at(0).name.size(), second.name.size());
    // After the signature and the class name, each with its length byte.
    const qint64 nameAt = second.offset + 4 + 1 + second.className.size() + 1;
    twice.replace(nameAt, second.name.size(), written.at(0).name);
    EXPECT_EQ(read(twice, &error), 1);
    EXPECT_TRUE(error.contains("a second element named")) << error.toStdString();
}

TEST_F(BoardFile, RandomAndTruncatedBoardFilesNeverCrash)
{
    addObject(board, 1, QStringLiteral("Plans"));
    ASSERT_NO_FATAL_FAILURE(save(board));
    const QByteArray valid = readAll(labelFile());
    QRandomGenerator random(20261208);
    int damaged = 0;
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes = valid.left(random.bounded(valid.size() + 1));
        if (i % 2) // flip a few bytes of an otherwise valid file
            for (int f = 0; f < 3 && !bytes.isEmpty(); ++f)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        writeAll(labelFile(), bytes);
        BoardModel loaded;
        QString error;
        const bool whole = loadLabels(loaded, &error);
        EXPECT_EQ(whole, error.isEmpty()) << i << ": " << error.toStdString();
        damaged += whole ? 0 : 1;
    }
    SUCCEED() << damaged << " damaged files reported";
    EXPECT_GT(damaged, 0);
}

TEST_F(BoardFile, RandomBoardFilesLoadIntoUniquelyNamedElementsThatSaveAndLoadBack)
{
    for (int n = 1; n <= 3; ++n)
        addObject(board, n, QStringLiteral("Object %1").arg(n));
    ASSERT_NO_FATAL_FAILURE(save(board));
    const QByteArray shapes = readAll(shapeFile());
    const QByteArray labels = readAll(labelFile());
    const auto names = [](const BoardModel& board) {
        QStringList all;
        for (const ObjectShape* shape : board.shapes())
            all.append(shape->objectName());
        for (const ObjectLabel* label : board.labels())
            all.append(label->objectName());
        return all;
    };
    const auto load = [&](BoardModel& board, QString* error) {
        const bool shapesWhole = loadShapes(board, error);
        return loadLabels(board, error) && shapesWhole;
    };

    QRandomGenerator random(1208);
    for (int i = 0; i < 200; ++i) {
        // Cut short, bytes flipped, records repeated, records of the other kind.
        const auto mangle = [&](QByteArray bytes, const QByteArray& other) {
            switch (i % 4) {
            case 0:
                return bytes.left(random.bounded(bytes.size() + 1));
            case 1:
                for (int f = 0; f < 3; ++f)
                    bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
                return bytes;
            case 2:
                return bytes + bytes;
            default:
                return other + bytes;
            }
        };
        writeAll(shapeFile(), mangle(shapes, labels));
        writeAll(labelFile(), mangle(labels, shapes));
        SCOPED_TRACE(i);
        BoardModel loaded;
        QString error;
        const bool whole = load(loaded, &error);
        EXPECT_EQ(whole, error.isEmpty()) << error.toStdString();
        if (i % 4 == 2) {
            EXPECT_TRUE(error.contains("a second element named")) << error.toStdString();
        }
        const QStringList loadedNames = names(loaded);
        QSet<QString> unique;
        for (const QString& name : loadedNames)
            unique.insert(name.toLower());
        EXPECT_EQ(unique.size(), loadedNames.size()) << loadedNames.join(' ').toStdString();

        ASSERT_NO_FATAL_FAILURE(save(loaded));
        BoardModel again;
        error.clear();
        EXPECT_TRUE(load(again, &error)) << error.toStdString();
        EXPECT_EQ(names(again), loadedNames);
    }
}

// Records another writer left short, lacking properties the program always
// writes: they are written back as short as they came, and a property appears
// only once the element holds something its absence could not give.
TEST_F(BoardFile, RecordsLackingPropertiesAreWrittenBackNoLarger)
{
    const auto entry = [](const QByteArray& name, const QByteArray& value) {
        return shortString(name) + value;
    };
    const QByteArray end(2, '\0');
    const QByteArray bare = "TPF0" + shortString("TShape") + shortString("Shape1") + end;
    const QByteArray placed = "TPF0" + shortString("TShape") + shortString("Shape2") +
                              entry("Tag", "\x02\x02") + entry("Left", "\x02\x28") +
                              entry("Brush.Color", "\x07" + shortString("clRed")) +
                              entry("ShowHint", "\x09") + end;
    const QByteArray named = "TPF0" + shortString("TLabel") + shortString("Label2") +
                             entry("Tag", "\x02\x02") +
                             entry("Caption", "\x06" + shortString("Pump")) +
                             entry("Font.Color", "\x07" + shortString("clRed")) + end;
    writeAll(shapeFile(), bare + placed);
    writeAll(labelFile(), named);
    QString error;
    ASSERT_TRUE(loadShapes(board, &error)) << error.toStdString();
    ASSERT_TRUE(loadLabels(board, &error)) << error.toStdString();
    ASSERT_EQ(board.shapes().size(), 2);
    ObjectLabel* label = board.labelNamed("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->fontColor(), 0x0000FFu);

    ASSERT_NO_FATAL_FAILURE(save(board));
    EXPECT_EQ(readAll(shapeFile()).toHex(' '), (bare + placed).toHex(' '));
    EXPECT_EQ(readAll(labelFile()).toHex(' '), named.toHex(' '));

    // Moved, bold and larger: what changed is written, the rest stays out.
    board.shapeNamed("Shape1")->move(40, 0);
    label->setFontSize(12);
    label->setBold(true);
    ASSERT_NO_FATAL_FAILURE(save(board));
    const QList<stream::Record> shapes = records(shapeFile());
    const QList<stream::Record> labels = records(labelFile());
    ASSERT_EQ(shapes.size(), 2);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(propertyNames(shapes[0]), "Left") << "Top stays 0, as its absence reads";
    EXPECT_EQ(propertyNames(shapes[1]), "Tag Left Brush.Color ShowHint");
    EXPECT_EQ(propertyNames(labels[0]), "Tag Caption Font.Color Font.Height Font.Style");

    // Loaded again, the elements are what they were.
    BoardModel loaded;
    ASSERT_TRUE(loadShapes(loaded, &error)) << error.toStdString();
    ASSERT_TRUE(loadLabels(loaded, &error)) << error.toStdString();
    EXPECT_EQ(loaded.shapeNamed("Shape1")->pos(), QPoint(40, 0));
    label = loaded.labelNamed("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->fontSize(), 12);
    EXPECT_TRUE(label->isBold());
    EXPECT_EQ(label->fontColor(), 0x0000FFu);

    // Elements the program makes carry every property, as always.
    addObject(loaded, 3, QStringLiteral("Valve"));
    EXPECT_EQ(propertyNames(BoardRecords::shapeRecord(*loaded.shapeNamed("Shape3"))),
              "Tag Left Top Width Height Hint Brush.Color ParentShowHint ShowHint");
}

// A file of more records than any board has is refused before a single
// element is made, however small its records are.
TEST_F(BoardFile, MoreElementsThanAnyBoardHasAreRefusedBeforeAnyIsMade)
{
    const QByteArray tiny = "TPF0" + shortString("TShape") + shortString("") + QByteArray(2, '\0');
    QByteArray bytes;
    bytes.reserve(tiny.size() * (BoardRecords::MaximumElements + 1));
    for (qint64 n = 0; n <= BoardRecords::MaximumElements; ++n)
        bytes += tiny;
    writeAll(shapeFile(), bytes);
    int made = 0;
    QString error;
    EXPECT_FALSE(BoardRecords::loadShapes(
        board, shapeFile(), [&](ObjectShape*) { ++made; }, &error));
    EXPECT_TRUE(error.contains("more than 1,000,000 elements")) << error.toStdString();
    EXPECT_TRUE(error.contains("fStreamShape.txt")) << error.toStdString();
    EXPECT_TRUE(board.shapes().isEmpty());
    EXPECT_EQ(made, 0);

    // A damaged record ends the count; the load then reports it and keeps the
    // records before it. (Loading a million elements is the benchmark's.)
    BoardModel cut;
    error.clear();
    writeAll(shapeFile(), bytes.left(tiny.size() * 3) + "XPF0");
    EXPECT_FALSE(loadShapes(cut, &error));
    EXPECT_TRUE(error.contains("wrong signature at byte 42")) << error.toStdString();
    EXPECT_EQ(cut.shapes().size(), 3);
}

TEST_F(BoardFile, MissingBoardFilesMeanAnEmptyBoard)
{
    int made = 0;
    QString error;
    EXPECT_TRUE(BoardRecords::loadShapes(
        board, shapeFile(), [&](ObjectShape*) { ++made; }, &error));
    EXPECT_TRUE(BoardRecords::loadLabels(
        board, labelFile(), DotsPerInch, [&](ObjectLabel*) { ++made; }, &error));
    EXPECT_TRUE(board.shapes().isEmpty());
    EXPECT_TRUE(board.labels().isEmpty());
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST_F(BoardFile, AFontHeightOfAnotherScreenIsWrittenBackAsReadUntilItsSizeChanges)
{
    // Heights a screen of 120 dots per inch wrote for 6 and 11 points, and one
    // of half a point: made again from whole points at 96 they would round to
    // -11, -19 and -15.
    const int heights[] = {-10, -18, -14};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    for (int n = 1; n <= 3; ++n) {
        addObject(board, n, QStringLiteral("Object %1").arg(n));
        ObjectLabel* label = board.labelNamed(QStringLiteral("Label%1").arg(n));
        ASSERT_NE(label, nullptr);
        label->setFontSize(20); // so that the record has a height
        stream::Record record = BoardRecords::labelRecord(*label, DotsPerInch);
        int changed = 0;
        for (stream::Property& p : record.properties) {
            if (p.name == "Font.Height") {
                p.value = stream::Value::fromInteger(heights[n - 1]);
                ++changed;
            }
        }
        ASSERT_EQ(changed, 1);
        ASSERT_TRUE(stream::RecordWriter(&buffer).write(record));
    }
    writeAll(labelFile(), bytes);
    BoardModel loaded;
    QString error;
    ASSERT_TRUE(loadLabels(loaded, &error)) << error.toStdString();
    ASSERT_NO_FATAL_FAILURE(save(loaded));
    // (The widths follow the sizes read; the heights stay as they were.)
    QList<qint64> saved;
    for (const stream::Record& record : records(labelFile()))
        for (const stream::Property& p : record.properties)
            if (p.name == "Font.Height")
                saved << p.value.integer;
    EXPECT_EQ(saved, (QList<qint64>{heights[0], heights[1], heights[2]}));

    // A size chosen anew is written at this screen's dots per inch.
    ObjectLabel* label = loaded.labelNamed("Label2");
    ASSERT_NE(label, nullptr);
    label->setFontSize(label->fontSize() + 1);
    int written = 0;
    for (const stream::Property& p : BoardRecords::labelRecord(*label, DotsPerInch).properties) {
        if (p.name == "Font.Height")
            written = int(p.value.integer);
    }
    EXPECT_EQ(written, stream::fontHeightFromPointSize(label->fontSize(), DotsPerInch));
}

TEST_F(BoardFile, ManyCaptionsLoadInTheirOrderEachSizedToItsTextInItsFont)
{
    // Enough captions for the reader to hand them over in many batches,
    // measured on both of its threads, in several fonts and scripts.
    constexpr int Objects = 9000;
    const QString texts[] = {QStringLiteral("Pump %1"), QStringLiteral("Насос %1"),
                             QStringLiteral("ポンプ %1"), QStringLiteral("مضخة %1")};
    for (int n = 1; n <= Objects; ++n) {
        addObject(board, n, texts[n % 4].arg(n));
        ObjectLabel* label = board.labels().last();
        label->setFontSize(6 + n % 7);
        label->setBold(n % 3 == 0);
    }
    ASSERT_NO_FATAL_FAILURE(save(board));

    BoardModel loaded;
    QList<ObjectLabel*> order;
    QString error;
    ASSERT_TRUE(BoardRecords::loadLabels(
        loaded, labelFile(), DotsPerInch, [&](ObjectLabel* label) { order << label; }, &error))
        << error.toStdString();
    ASSERT_EQ(order.size(), Objects);
    int wrongSize = 0;
    for (int i = 0; i < Objects; ++i) {
        const ObjectLabel& written = *board.labels().at(i);
        const ObjectLabel& read = *order.at(i);
        ASSERT_EQ(read.caption(), written.caption()) << "at " << i;
        EXPECT_EQ(read.font(), written.font()) << "at " << i;
        const QFontMetrics metrics(read.font());
        if (read.size() !=
            QSize(std::max(1, metrics.horizontalAdvance(read.caption())), metrics.height()))
            ++wrongSize;
    }
    EXPECT_EQ(wrongSize, 0);
}
