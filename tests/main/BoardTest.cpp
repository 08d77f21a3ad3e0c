#include "BoardFixture.h"

#include "project/BoardRecords.h"
#include "board/LabelOffset.h"

#include <QApplication>
#include <QBuffer>
#include <QMenu>
#include <QRandomGenerator>
#include <QSet>
#include <QTimer>

namespace {

QByteArray shortString(const QByteArray& s)
{
    return char(s.size()) + s;
}

} // namespace

TEST_F(BoardFixture, ShapeRecordIsWrittenByteForByte)
{
    openProject();
    ObjectShape* shape = addObject(5, QStringLiteral("Plans"));
    shape->setBrushColor(0x0000FF);
    ASSERT_TRUE(form->SaveShapes());

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
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")).toHex(' '), expected.toHex(' '));
}

TEST_F(BoardFixture, CaptionRecordCarriesEveryPropertyInOrder)
{
    openProject();
    addObject(200, QStringLiteral("Plans"));
    ObjectLabel* label = form->boardModel().labels().first();
    label->setFontSize(8);
    label->setFontColor(0x123456);
    const stream::Record record = BoardRecords::labelRecord(*label, 96);

    QStringList names;
    for (const stream::Property& p : record.properties)
        names << QString::fromLatin1(p.name);
    EXPECT_EQ(names.join(' '), "Tag Left Top Width Height Hint Caption Font.Charset Font.Color "
                               "Font.Height Font.Name Font.Style ParentFont ParentShowHint "
                               "ShowHint Transparent");
    EXPECT_EQ(record.className, "TLabel");
    EXPECT_EQ(record.properties[7].value.identifier, "DEFAULT_CHARSET");
    EXPECT_EQ(record.properties[8].value.kind, stream::Value::Kind::Integer);
    EXPECT_EQ(record.properties[8].value.integer, 0x123456);
    EXPECT_EQ(record.properties[9].value.integer, -11);
    EXPECT_EQ(record.properties[10].value.text, "Tahoma");
    EXPECT_TRUE(record.properties[11].value.set.isEmpty());
}

TEST_F(BoardFixture, BoardLoadsBackPropertyByProperty)
{
    openProject();
    ObjectShape* hatched = addObject(1, QStringLiteral("Plans"));
    hatched->setBrushStyle(BrushStyle::BDiagonal);
    hatched->setShapeKind(ShapeKind::Circle);
    hatched->setBrushColor(0x123456);
    hatched->setHint(QString(300, QLatin1Char('h')));
    ObjectShape* white = addObject(2, QStringLiteral("Łódź ✓"));
    white->setBrushColor(0xFFFFFF);
    white->setShapeKind(ShapeKind::RoundSquare);
    ObjectLabel* hidden = form->boardModel().labels().at(1);
    hidden->hide();
    hidden->setBold(true);
    hidden->setFontSize(12);
    hidden->setFontColor(0xFF00000F);
    hidden->setHint(QString());

    ASSERT_TRUE(form->SaveShapes());
    ASSERT_TRUE(form->SaveLabels());
    const QList<stream::Record> shapesBefore = [&] {
        QList<stream::Record> r;
        for (ObjectShape* s : form->boardModel().shapes())
            r << BoardRecords::shapeRecord(*s);
        return r;
    }();

    ASSERT_TRUE(form->LoadShapes());
    ASSERT_TRUE(form->LoadLabels());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();

    const QList<ObjectShape*> shapes = form->boardModel().shapes();
    const QList<ObjectLabel*> labels = form->boardModel().labels();
    ASSERT_EQ(shapes.size(), 2);
    ASSERT_EQ(labels.size(), 2);
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
    EXPECT_EQ(form->CurrentShape, shapes[1]) << "the last element read is current";
    EXPECT_EQ(form->CurrentLabel, labels[1]);

    for (int i = 0; i < shapes.size(); ++i) {
        const stream::Record after = BoardRecords::shapeRecord(*shapes[i]);
        ASSERT_EQ(after.properties.size(), shapesBefore[i].properties.size());
        for (int p = 0; p < after.properties.size(); ++p)
            EXPECT_EQ(after.properties[p].name, shapesBefore[i].properties[p].name);
    }

    // Saving the loaded board again gives the same bytes.
    const QByteArray shapeBytes = readAll(projectFile("fStreamShape.txt"));
    const QByteArray labelBytes = readAll(projectFile("fStreamLabel.txt"));
    ASSERT_TRUE(form->SaveShapes());
    ASSERT_TRUE(form->SaveLabels());
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), shapeBytes);
    EXPECT_EQ(readAll(projectFile("fStreamLabel.txt")), labelBytes);
}

TEST_F(BoardFixture, ForeignWriterOrderAndWideStringsLoad)
{
    openProject();
    // Properties in another order, a wide-string caption, a lower-case name.
    stream::Record record;
    record.className = "TLabel";
    record.name = "label4";
    record.properties = {{"Caption", stream::Value::fromString("Pump"), -1},
                         {"Font.Style", stream::Value::fromSet({"fsBold"}), -1},
                         {"Tag", stream::Value::fromInteger(4), -1},
                         {"Font.Height", stream::Value::fromInteger(-13), -1},
                         {"Visible", stream::Value::fromBoolean(false), -1}};
    QFile file(projectFile("fStreamLabel.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    stream::RecordWriter(&file).write(record);
    file.close();

    ASSERT_TRUE(form->LoadLabels());
    ObjectLabel* label = form->boardModel().labelNamed("Label4");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->caption(), "Pump");
    EXPECT_TRUE(label->isBold());
    EXPECT_EQ(label->fontSize(), 10);
    EXPECT_TRUE(label->isHidden());
}

TEST_F(BoardFixture, DamagedBoardFileStopsWithItsPlaceAndKeepsWhatWasRead)
{
    openProject();
    for (int n = 1; n <= 3; ++n)
        addObject(n, QStringLiteral("Object %1").arg(n));
    ASSERT_TRUE(form->SaveShapes());
    const QByteArray whole = readAll(projectFile("fStreamShape.txt"));
    const qsizetype recordSize = whole.size() / 3;

    struct Case {
        const char* what;
        QByteArray bytes;
        const char* expected;
    };
    QByteArray unknownProperty = whole;
    unknownProperty.replace("Brush.Color", "Brush.Colox");
    QByteArray wrongType = whole.left(2 * recordSize);
    wrongType.append(whole.mid(2 * recordSize).replace("\x04Left\x02\x1e", "\x04Left\x08"));
    const Case cases[] = {
        {"truncated third record", whole.left(whole.size() - 5), "byte"},
        {"wrong signature", whole.left(2 * recordSize) + "XPF0" + whole.mid(2 * recordSize + 4),
         "byte"},
        {"unknown property", unknownProperty, "Brush.Colox"},
        {"wrong value type", wrongType, "Left"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeAll(projectFile("fStreamShape.txt"), c.bytes);
        fake.dialogs.errors.clear();
        EXPECT_FALSE(form->LoadShapes());
        ASSERT_EQ(fake.dialogs.errors.size(), 1);
        EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt"));
        EXPECT_TRUE(fake.dialogs.errors[0].contains(c.expected))
            << fake.dialogs.errors[0].toStdString();
        const int kept = std::string(c.what) == "unknown property" ? 0 : 2;
        EXPECT_EQ(form->boardModel().shapes().size(), kept);
        EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), c.bytes) << "the file stays as it was";
        // The next save writes only what was read, so the damaged file is kept beside.
        EXPECT_EQ(readAll(projectFile("fStreamShape.txt.damaged")), c.bytes);
        EXPECT_TRUE(fake.dialogs.errors[0].contains("fStreamShape.txt.damaged"));
        QFile::remove(projectFile("fStreamShape.txt.damaged"));
    }
}

TEST_F(BoardFixture, RandomAndTruncatedBoardFilesNeverCrash)
{
    openProject();
    addObject(1, QStringLiteral("Plans"));
    ASSERT_TRUE(form->SaveLabels());
    const QByteArray valid = readAll(projectFile("fStreamLabel.txt"));
    QRandomGenerator random(20261208);
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes = valid.left(random.bounded(valid.size() + 1));
        if (i % 2) // flip a few bytes of an otherwise valid file
            for (int f = 0; f < 3 && !bytes.isEmpty(); ++f)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        writeAll(projectFile("fStreamLabel.txt"), bytes);
        form->LoadLabels();
    }
    SUCCEED() << fake.dialogs.errors.size() << " damaged files reported";
    EXPECT_FALSE(fake.dialogs.errors.isEmpty());
}

TEST_F(BoardFixture, RandomBoardFilesLoadIntoUniquelyNamedElementsThatSaveAndLoadBack)
{
    openProject();
    for (int n = 1; n <= 3; ++n)
        addObject(n, QStringLiteral("Object %1").arg(n));
    ASSERT_TRUE(form->SaveShapes());
    ASSERT_TRUE(form->SaveLabels());
    const QByteArray shapes = readAll(projectFile("fStreamShape.txt"));
    const QByteArray labels = readAll(projectFile("fStreamLabel.txt"));
    const QString shapeFile = projectFile("shapes.bin");
    const QString labelFile = projectFile("labels.bin");
    const auto names = [](const BoardModel& board) {
        QStringList all;
        for (const ObjectShape* shape : board.shapes())
            all.append(shape->objectName());
        for (const ObjectLabel* label : board.labels())
            all.append(label->objectName());
        return all;
    };
    const auto load = [&](BoardModel& board, QString* error) {
        const bool shapesWhole = BoardRecords::loadShapes(
            board, shapeFile, [](ObjectShape*) {}, error);
        return BoardRecords::loadLabels(
                   board, labelFile, 96, [](ObjectLabel*) {}, error) &&
               shapesWhole;
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
        writeAll(shapeFile, mangle(shapes, labels));
        writeAll(labelFile, mangle(labels, shapes));
        SCOPED_TRACE(i);
        BoardModel board;
        QString error;
        const bool whole = load(board, &error);
        EXPECT_EQ(whole, error.isEmpty()) << error.toStdString();
        if (i % 4 == 2) {
            EXPECT_TRUE(error.contains("a second element named")) << error.toStdString();
        }
        const QStringList loaded = names(board);
        QSet<QString> unique;
        for (const QString& name : loaded)
            unique.insert(name.toLower());
        EXPECT_EQ(unique.size(), loaded.size()) << loaded.join(' ').toStdString();

        QByteArray shapeBytes;
        QByteArray labelBytes;
        ASSERT_TRUE(BoardRecords::shapeFileBytes(board, &shapeBytes, &error));
        ASSERT_TRUE(BoardRecords::labelFileBytes(board, 96, &labelBytes, &error));
        ASSERT_TRUE(BoardRecords::saveFile(shapeFile, shapeBytes, &error));
        ASSERT_TRUE(BoardRecords::saveFile(labelFile, labelBytes, &error));
        BoardModel again;
        error.clear();
        EXPECT_TRUE(load(again, &error)) << error.toStdString();
        EXPECT_EQ(names(again), loaded);
    }
}

// Records another writer left short, lacking properties the program always
// writes: they are written back as short as they came, and a property appears
// only once the element holds something its absence could not give.
TEST_F(BoardFixture, RecordsLackingPropertiesAreWrittenBackNoLarger)
{
    openProject();
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
    writeAll(projectFile("fStreamShape.txt"), bare + placed);
    writeAll(projectFile("fStreamLabel.txt"), named);
    ASSERT_TRUE(form->LoadShapes());
    ASSERT_TRUE(form->LoadLabels());
    ASSERT_EQ(form->boardModel().shapes().size(), 2);
    ObjectLabel* label = form->boardModel().labelNamed("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->fontColor(), 0x0000FFu);

    ASSERT_TRUE(form->SaveShapes());
    ASSERT_TRUE(form->SaveLabels());
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")).toHex(' '), (bare + placed).toHex(' '));
    EXPECT_EQ(readAll(projectFile("fStreamLabel.txt")).toHex(' '), named.toHex(' '));

    // Moved, bold and larger: what changed is written, the rest stays out.
    form->boardModel().shapeNamed("Shape1")->move(40, 0);
    label->setFontSize(12);
    label->setBold(true);
    ASSERT_TRUE(form->SaveShapes());
    ASSERT_TRUE(form->SaveLabels());
    QList<stream::Record> shapes, labels;
    for (const auto& [file, into] :
         {std::pair{"fStreamShape.txt", &shapes}, std::pair{"fStreamLabel.txt", &labels}}) {
        QFile device(projectFile(file));
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        stream::RecordReader reader(&device);
        while (!reader.atEnd()) {
            stream::Record record;
            ASSERT_TRUE(reader.read(record)) << reader.errorString().toStdString();
            into->append(record);
        }
    }
    const auto names = [](const stream::Record& record) {
        QStringList all;
        for (const stream::Property& p : record.properties)
            all << QString::fromLatin1(p.name);
        return all.join(' ');
    };
    ASSERT_EQ(shapes.size(), 2);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(names(shapes[0]), "Left") << "Top stays 0, as its absence reads";
    EXPECT_EQ(names(shapes[1]), "Tag Left Brush.Color ShowHint");
    EXPECT_EQ(names(labels[0]), "Tag Caption Font.Color Font.Height Font.Style");

    // Loaded again, the elements are what they were.
    ASSERT_TRUE(form->LoadShapes());
    ASSERT_TRUE(form->LoadLabels());
    EXPECT_EQ(form->boardModel().shapeNamed("Shape1")->pos(), QPoint(40, 0));
    label = form->boardModel().labelNamed("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->fontSize(), 12);
    EXPECT_TRUE(label->isBold());
    EXPECT_EQ(label->fontColor(), 0x0000FFu);

    // Elements the program makes carry every property, as always.
    addObject(3, QStringLiteral("Valve"));
    EXPECT_EQ(names(BoardRecords::shapeRecord(*form->boardModel().shapeNamed("Shape3"))),
              "Tag Left Top Width Height Hint Brush.Color ParentShowHint ShowHint");
}

// A file of more records than any board has is refused before a single
// element is made, however small its records are.
TEST_F(BoardFixture, MoreElementsThanAnyBoardHasAreRefusedBeforeAnyIsMade)
{
    openProject();
    const QByteArray tiny = "TPF0" + shortString("TShape") + shortString("") + QByteArray(2, '\0');
    QByteArray bytes;
    bytes.reserve(tiny.size() * (BoardRecords::MaximumElements + 1));
    for (qint64 n = 0; n <= BoardRecords::MaximumElements; ++n)
        bytes += tiny;
    writeAll(projectFile("fStreamShape.txt"), bytes);
    EXPECT_FALSE(form->LoadShapes());
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_TRUE(fake.dialogs.errors[0].contains("more than 1,000,000 elements"))
        << fake.dialogs.errors[0].toStdString();
    EXPECT_TRUE(form->boardModel().shapes().isEmpty());
    EXPECT_EQ(QFileInfo(projectFile("fStreamShape.txt.damaged")).size(), bytes.size())
        << "kept aside";

    // A damaged record ends the count; the load then reports it and keeps the
    // records before it. (Loading a million elements is the benchmark's.)
    BoardModel board;
    QString error;
    writeAll(projectFile("shapes.bin"), bytes.left(tiny.size() * 3) + "XPF0");
    EXPECT_FALSE(BoardRecords::loadShapes(
        board, projectFile("shapes.bin"), [](ObjectShape*) {}, &error));
    EXPECT_TRUE(error.contains("wrong signature at byte 42")) << error.toStdString();
    EXPECT_EQ(board.shapes().size(), 3);
}

TEST_F(BoardFixture, MissingBoardFilesMeanAnEmptyBoard)
{
    openProject();
    addObject(1, QStringLiteral("Plans"));
    EXPECT_TRUE(form->LoadShapes());
    EXPECT_TRUE(form->LoadLabels());
    EXPECT_TRUE(form->boardModel().shapes().isEmpty());
    EXPECT_TRUE(form->boardModel().labels().isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(BoardFixture, ObjectNumbersFreedByRemovalAreReusedSmallestFirst)
{
    openProject();
    EXPECT_EQ(form->NextObjectNumber(), 1);
    for (int n = 1; n <= 3; ++n)
        addObject(n, QStringLiteral("Object %1").arg(n));
    EXPECT_EQ(form->NextObjectNumber(), 4);

    form->CurrentShape = form->boardModel().shapeNamed("Shape2");
    form->CurrentLabel = form->boardModel().labelNamed("Label2");
    fake.dialogs.confirmAnswers = {true};
    form->Delete1Click();
    EXPECT_EQ(fake.dialogs.questions, QStringList{"Do You realy want do delate object?"});
    EXPECT_EQ(form->NextObjectNumber(), 2);
    EXPECT_EQ(form->CurrentShape, nullptr);

    // Only "label" + N spelled exactly takes a number.
    form->boardModel().labelNamed("Label3")->setObjectName("Label03");
    EXPECT_EQ(form->NextObjectNumber(), 2);
    form->boardModel().labelNamed("Label1")->setObjectName("LABEL2");
    EXPECT_EQ(form->NextObjectNumber(), 1);
}

TEST(LabelOffset, FollowsTheProgramsRoundingMode)
{
    setRoundingMode(RoundingMode::NearestEven);
    EXPECT_EQ(DesktopScale(768), 8);
    EXPECT_EQ(LabelOffset(8, 1, 768), 15);
    EXPECT_EQ(LabelOffset(8, 4, 768), 18);
    EXPECT_EQ(roundFraction(2.5), 2);
    EXPECT_EQ(roundFraction(3.5), 4);
    EXPECT_EQ(roundFraction(-2.5), -2);

    setRoundingMode(RoundingMode::Downward);
    EXPECT_EQ(DesktopScale(768), 7);
    EXPECT_EQ(LabelOffset(8, 1, 768), 16);
    EXPECT_EQ(LabelOffset(8, 4, 768), 19);
    EXPECT_EQ(LabelOffset(8, 1, 1080), 13);
    EXPECT_EQ(roundFraction(-0.5), -1);
    setRoundingMode(RoundingMode::NearestEven);
}

TEST_F(BoardFixture, AlarmBlinkFlashesWithTheSecondsAndClears)
{
    openProject();
    ObjectShape* pump = addObject(1, QStringLiteral("Pump"));
    ObjectShape* valve = addObject(2, QStringLiteral("Valve"));
    form->AlarmObjectName = QStringLiteral("Pump");
    fake.clock.current.setTime(QTime(10, 0, 7));
    form->BlinkAlarmObject();
    EXPECT_TRUE(form->isHatched(*pump));
    EXPECT_FALSE(form->isHatched(*valve));
    fake.clock.current.setTime(QTime(10, 0, 8));
    form->BlinkAlarmObject();
    EXPECT_FALSE(form->isHatched(*pump));

    fake.clock.current.setTime(QTime(10, 0, 9));
    form->BlinkAlarmObject();
    form->ClearAlarmBlink();
    EXPECT_FALSE(form->isHatched(*pump));

    // A hatch a file holds is a blink left over: the clearing ends it too.
    pump->setBrushStyle(BrushStyle::BDiagonal);
    EXPECT_TRUE(form->isHatched(*pump));
    form->ClearAlarmBlink();
    EXPECT_EQ(pump->brushStyle(), BrushStyle::Solid);

    // A caption whose shape is gone has nothing to flash.
    delete form->boardModel().shapeNamed("Shape1");
    form->BlinkAlarmObject();
    form->ClearAlarmBlink();
}

TEST_F(BoardFixture, AShapeSavedWhileItsBlinkHatchesItIsSavedWithItsOwnBrush)
{
    openProject();
    ObjectShape* pump = addObject(1, QStringLiteral("Pump"));
    pump->setBrushStyle(BrushStyle::Cross);
    pump->setBrushColor(0x00FF00);
    form->AlarmObjectName = QStringLiteral("Pump");
    fake.clock.current.setTime(QTime(10, 0, 7));
    form->BlinkAlarmObject();
    ASSERT_TRUE(form->isHatched(*pump));
    const QImage hatched = form->board().grab().toImage();

    ASSERT_TRUE(form->SaveShapes());
    const QByteArray saved = readAll(projectFile("fStreamShape.txt"));
    EXPECT_TRUE(saved.contains("bsCross")) << saved.constData();
    EXPECT_FALSE(saved.contains("bsBDiagonal")) << saved.constData();

    form->ClearAlarmBlink();
    EXPECT_EQ(pump->brushStyle(), BrushStyle::Cross);
    EXPECT_NE(form->board().grab().toImage(), hatched) << "the blink shows on the board";
}

TEST_F(BoardFixture, MainWindowHasItsMenusSizeAndIdleCaption)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vexorin \""));
    EXPECT_EQ(form->windowTitle().size(), 9);
    EXPECT_FALSE(form->project().isOpen());

    const auto caption = [&](const char* name) {
        auto* action = form->findChild<QAction*>(QLatin1String(name));
        return action ? action->text() : QStringLiteral("<missing>");
    };
    EXPECT_EQ(caption("New1"), "New");
    EXPECT_EQ(caption("Open1"), "Open");
    EXPECT_EQ(caption("Objesctmass1"), "Default object");
    EXPECT_EQ(caption("Defaultobjecttable1"), "Default object table");
    EXPECT_EQ(caption("Backgroundlayout1"), "Load background layot");
    EXPECT_EQ(caption("Vexorinhelp1"), "Vexorin help");
    EXPECT_EQ(caption("About2"), "About");
    EXPECT_EQ(caption("New2"), "New Object");
    EXPECT_EQ(caption("Delete1"), "Remove ");
    QStringList popup;
    for (QAction* a : form->findChild<QMenu*>("PopupMenu1")->actions())
        popup << a->objectName() + '=' + a->text();
    EXPECT_EQ(popup.join(','),
              "Edit1=Edit,Alarm1=Alarm,able1=Table,Folder1=Folder,Delete1=Remove ");
    EXPECT_EQ(form->findChild<QMenu*>("FILE1")->title(), "FILE");
    EXPECT_EQ(form->findChild<QMenu*>("SETTINGS1")->title(), "SETTINGS");
    EXPECT_EQ(form->findChild<QMenu*>("ABOUT1")->title(), "HELP");

    EXPECT_EQ(form->Timer1->interval(), 400);
    EXPECT_EQ(form->Timer2->interval(), 300);
}

TEST_F(BoardFixture, MainWindowsOuterFrameIsTheDesktopLessHundredEachWayCentred)
{
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->frameGeometry(), QRect(50, 50, 1820, 980));

    fake.desktop.screen = QSize(1280, 800);
    TForm1 small(fake.platform);
    small.Timer1->stop();
    small.show();
    QApplication::processEvents();
    EXPECT_EQ(small.frameGeometry(), QRect(50, 50, 1180, 700));
    EXPECT_EQ(small.minimumSize(), small.maximumSize()) << "not resizable";
}

TEST_F(BoardFixture, OperationsThatNeedAProjectRefuseWhileIdle)
{
    form->Backgroundlayout1Click();
    form->Objesctmass1Click();
    form->Defaultobjecttable1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList(3, " Define form and archive location at first!"));
}

TEST_F(BoardFixture, RightPressOnTheEmptyBoardOpensNewObjectMenuAtThePointer)
{
    form->show();
    fake.pointer.at = QPoint(500, 400);
    form->FormMouseDown(Qt::LeftButton);
    EXPECT_FALSE(form->PopupMenu2->isVisible());
    form->FormMouseDown(Qt::MiddleButton);
    EXPECT_FALSE(form->PopupMenu2->isVisible());
    form->FormMouseDown(Qt::RightButton);
    EXPECT_TRUE(form->PopupMenu2->isVisible());
    EXPECT_EQ(form->DragOffsetX, 500);
    EXPECT_EQ(form->DragOffsetY, 400);
    form->PopupMenu2->hide();
}

TEST_F(BoardFixture, HelpOpensTheHelpBesideTheProgramAndAboutNamesTheVersion)
{
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.shell.opened, QStringList{fake.platform.programFolder + "zatHelp.chm"});
    // The HTML help beside the program is opened where there is one.
    QDir(fake.programDir.path()).mkdir("help");
    writeAll(fake.programDir.filePath("help/index.html"), "<html></html>");
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.shell.opened.last(), fake.programDir.filePath("help/index.html"));
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    // With no program to show it, the user learns which file to open.
    fake.shell.result = false;
    form->Vexorinhelp1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"No program on this computer could open \"" +
                                                 fake.programDir.filePath("help/index.html") +
                                                 "\". Please open it by hand."});
    fake.dialogs.messages.clear();
    form->About2Click();
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(fake.dialogs.messages[0].contains(VEXORIN_VERSION));
    EXPECT_EQ(fake.dialogs.messages[0].count('\n'), 2) << "a version line and two rights lines";
}

TEST_F(BoardFixture, StartUpWithoutSettingsBesideTheProgramStaysIdle)
{
    form->Timer1Timer();
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->windowTitle(), Caption::Idle);
    EXPECT_FALSE(form->board().hasBackground());

    writeAll(form->lastProjectFile(), "[Form1]\r\nPathforini=\r\n");
    form->Timer1Timer();
    EXPECT_EQ(form->windowTitle(), Caption::Idle);
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(BoardFixture, ClosingWhileIdleWritesNoFiles)
{
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(QDir(fake.programDir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(projectDir.path()).entryList(QDir::Files).isEmpty());
}
