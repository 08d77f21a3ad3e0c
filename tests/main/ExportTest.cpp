#include "ProgramFixture.h"

#include "alarms/fAlarmSettingsUnit.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "formats/Ini.h"
#include "formats/RichText.h"
#include "main/ObjectList.h"
#include "notes/StatusButtons.h"
#include "notes/StatusFile.h"
#include "support/Files.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>
#include <QXmlStreamReader>

namespace {

// Reads CSV text as RFC 4180 describes it, independently of the writer.
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(row.isEmpty() && field.isEmpty()) << "the last row has no CR LF";
    return rows;
}

QStringList svgTexts(const QByteArray& svg)
{
    QStringList texts;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts.append(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return texts;
}

QString pdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        ADD_FAILURE() << "pdftotext failed on " << path.toStdString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

class ExportTest : public ProgramFixture {
protected:
    ExportTest() { openProject(); }

    // An object placed the way a loaded board file leaves it.
    ObjectShape* addObject(int n, const QString& name, QPoint at,
                           ShapeKind kind = ShapeKind::Rectangle, quint32 color = 0x008000)
    {
        auto* shape = new ObjectShape(board().model());
        shape->setObjectName(QStringLiteral("Shape%1").arg(n));
        shape->setTag(n);
        shape->setShapeKind(kind);
        shape->setGeometry(at.x(), at.y(), 40, 30);
        shape->setBrushColor(color);
        auto* label = new ObjectLabel(board().model());
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setTag(n);
        label->move(at.x(), at.y() - 16);
        label->setCaption(name);
        return shape;
    }

    void placeSampleBoard()
    {
        QImage picture(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x * 4, y * 5, 128));
        board().setBackground(picture);
        addObject(1, QStringLiteral("Pump, north"), {60, 80});
        addObject(2, QStringLiteral("Tank \"B\" & <C>"), {200, 140}, ShapeKind::Ellipse, 0x0000FF);
        addObject(3, QStringLiteral("Насос"), {320, 60}, ShapeKind::Circle, 0xFF0000);
        addObject(4, QStringLiteral("Hidden valve"), {420, 200});
        boardModel().labelNamed(QStringLiteral("Label4"))->hide();
    }

    QString outFile(const QString& name) const { return projectDir.filePath(name); }

    QImage exportPng(int percent)
    {
        const QString path = outFile(QStringLiteral("board.png"));
        fake.dialogs.saveFileAnswers << path;
        fake.dialogs.inputAnswers << QString::number(percent);
        form().ExportBoard1->trigger();
        EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join(u'\n').toStdString();
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }

    QImage grabBoard()
    {
        return board().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    const QStringList visibleCaptions{QStringLiteral("Pump, north"),
                                      QStringLiteral("Tank \"B\" & <C>"), QStringLiteral("Насос")};
};

TEST_F(ExportTest, FileMenuKeepsItsItemsAndEndsWithExportAndPrint)
{
    QStringList captions;
    for (QAction* action : form().FILE1->actions())
        if (!action->isSeparator())
            captions.append(action->text());
    EXPECT_EQ(captions, (QStringList{"New", "Open", "Find...", "Export board...", "Print board...",
                                     "Export list..."}));
}

TEST_F(ExportTest, PngAtFullScaleIsTheBoardsOwnPixelsWhateverTheView)
{
    placeSampleBoard();
    const QImage grab = grabBoard();
    ASSERT_EQ(grab.size(), board().boardSize());

    board().enableZoomAndPan();
    board().setZoom(2.0, QPoint(100, 100));
    EXPECT_EQ(exportPng(100), grab);
    EXPECT_EQ(fake.dialogs.saveFileTitles, QStringList{"Export board"});
    EXPECT_EQ(exportPng(200).size(), board().boardSize() * 2);
}

TEST_F(ExportTest, BlinkNeverShowsInAnExportAndGoesOnAfterIt)
{
    placeSampleBoard();
    ObjectShape* blinking = boardModel().shapeNamed(QStringLiteral("Shape2"));
    const QImage solid = grabBoard();
    board().setBlinkHatched(*blinking, true);
    ASSERT_NE(grabBoard(), solid);
    EXPECT_EQ(exportPng(100), solid);
    EXPECT_TRUE(board().isBlinkHatched(*blinking));

    // A hatch a board file holds is a blink left over: not exported either.
    board().setBlinkHatched(*blinking, false);
    blinking->setBrushStyle(BrushStyle::BDiagonal);
    ASSERT_NE(grabBoard(), solid);
    EXPECT_EQ(exportPng(100), solid);
    EXPECT_EQ(blinking->brushStyle(), BrushStyle::BDiagonal);
}

TEST_F(ExportTest, ScaleOutsideTheRangeIsRefusedAndWritesNothing)
{
    placeSampleBoard();
    const QString path = outFile(QStringLiteral("board.png"));
    for (const QString& typed :
         {QStringLiteral("5"), QStringLiteral("801"), QStringLiteral("big")}) {
        fake.dialogs.saveFileAnswers << path;
        fake.dialogs.inputAnswers << typed;
        form().ExportBoard1->trigger();
    }
    EXPECT_EQ(fake.dialogs.errors.size(), 3);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ExportTest, FileThatCannotBeWrittenIsReportedWithItsName)
{
    placeSampleBoard();
    const QString missingFolder = outFile(QStringLiteral("gone"));
    fake.dialogs.saveFileAnswers << missingFolder + QStringLiteral("/board.pdf")
                                 << missingFolder + QStringLiteral("/list.csv")
                                 << outFile(QStringLiteral("board.txt"));
    form().ExportBoard1->trigger();
    form().ExportList1->trigger();
    form().ExportBoard1->trigger();
    ASSERT_EQ(fake.dialogs.errors.size(), 3);
    EXPECT_TRUE(fake.dialogs.errors[0].contains(QStringLiteral("board.pdf")));
    EXPECT_TRUE(fake.dialogs.errors[1].contains(QStringLiteral("list.csv")));
    EXPECT_EQ(fake.dialogs.errors[2], "Choose a file name ending in .png, .pdf or .svg.");
    EXPECT_EQ(QDir(projectDir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(ExportTest, ListReadsNoNoteOutsideTheProjectFolderThroughAName)
{
    // A damaged board file may name an object "../note": its note would lie
    // beside the project folder, and is never read.
    ASSERT_TRUE(QDir(projectDir.path()).mkdir(QStringLiteral("project")));
    ASSERT_TRUE(QDir(projectDir.path()).mkdir(QStringLiteral("note")));
    openProject(QStringLiteral("Work"), projectDir.filePath(QStringLiteral("project")));
    QTextDocument note;
    QTextCursor(&note).insertText(
        StatusStampText(QDateTime(QDate(2026, 3, 1), QTime(8, 5, 7)), QLocale::system()));
    ASSERT_TRUE(RichText::writeFile(&note, projectDir.filePath(QStringLiteral("note.rtf"))));
    addObject(1, QStringLiteral("../note"), {60, 80});

    const QString path = outFile(QStringLiteral("list.csv"));
    fake.dialogs.saveFileAnswers << path;
    form().ExportList1->trigger();
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(readAll(path).mid(3)));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0], "../note");
    EXPECT_EQ(rows[1][6], "");
}

TEST_F(ExportTest, SvgHoldsEveryVisibleCaptionAsTextAndNoHiddenOne)
{
    placeSampleBoard();
    boardModel().shapeNamed(QStringLiteral("Shape3"))->setBrushStyle(BrushStyle::BDiagonal);
    const QString path = outFile(QStringLiteral("board.svg"));

    fake.dialogs.saveFileAnswers << path;
    form().ExportBoard1->trigger();
    ASSERT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join(u'\n').toStdString();

    const QByteArray svg = readAll(path);
    QStringList texts = svgTexts(svg);
    texts.sort();
    QStringList expected = visibleCaptions;
    expected.sort();
    EXPECT_EQ(texts, expected);
    // The background picture is in the drawing, and the hatched shape is solid.
    EXPECT_TRUE(svg.contains("<image"));
    EXPECT_FALSE(svg.contains("url(#")) << "a shape is filled with a pattern";
}

TEST_F(ExportTest, ALargeBoardExportedAsSvgHoldsEveryCaptionAsText)
{
    // As many elements as make the screen's paint share its work.
    constexpr int Objects = 2100;
    for (int n = 1; n <= Objects; ++n)
        addObject(n, QStringLiteral("Object %1").arg(n), {(n * 37) % 500, 20 + (n * 53) % 300});
    const QString path = outFile(QStringLiteral("large.svg"));
    fake.dialogs.saveFileAnswers << path;
    form().ExportBoard1->trigger();
    ASSERT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join(u'\n').toStdString();
    const QByteArray svg = readAll(path);
    EXPECT_EQ(svgTexts(svg).size(), Objects);
    EXPECT_FALSE(svg.contains("<image")) << "elements drawn as a picture";
}

TEST_F(ExportTest, PdfAndPrintHoldEveryVisibleCaptionAsTextAndNoHiddenOne)
{
    placeSampleBoard();
    const QString exported = outFile(QStringLiteral("board.pdf"));
    const QString printed = outFile(QStringLiteral("printed.pdf"));
    fake.dialogs.saveFileAnswers << exported;
    form().ExportBoard1->trigger();
    fake.dialogs.printAnswers << printed;
    form().PrintBoard1->trigger();
    ASSERT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join(u'\n').toStdString();

    for (const QString& path : {exported, printed}) {
        const QString text = pdfText(path);
        for (const QString& caption : visibleCaptions)
            EXPECT_TRUE(text.contains(caption))
                << caption.toStdString() << " missing in " << path.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("Hidden valve"))) << path.toStdString();
    }
}

TEST_F(ExportTest, CancelledChoosersWriteNothing)
{
    placeSampleBoard();
    fake.dialogs.saveFileAnswers << QString() << QString();
    form().ExportBoard1->trigger();
    form().ExportList1->trigger();
    fake.dialogs.printAnswers << QString();
    form().PrintBoard1->trigger();
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
    EXPECT_EQ(QDir(projectDir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(ExportTest, ListReadsBackWithEveryFieldForAnyName)
{
    const QString tricky = QStringLiteral("Pump, \"north\"");
    const QString foreign = QStringLiteral("Ñandú 東京 Насос");
    addObject(1, tricky, {60, 80}, ShapeKind::Ellipse, 0x0000FF);
    addObject(2, foreign, {200, 140}, ShapeKind::Circle, 0x008000);

    // One status of the red colour that the first object has.
    Ini::Document statuses;
    ASSERT_TRUE(StatusFile::write({{1, QStringLiteral("Broken, waiting"), 60, 20, 0, 0, 0x0000FF}},
                                  &statuses));
    ASSERT_TRUE(statuses.save(projectFile(ProjectFiles::Statuses)));

    // The first object's note holds two stamps; the later one counts.
    ASSERT_TRUE(QDir(projectDir.path()).mkdir(tricky));
    QTextDocument note;
    QTextCursor cursor(&note);
    const QLocale locale = QLocale::system();
    cursor.insertText(QStringLiteral("Checked\n") +
                      StatusStampText(QDateTime(QDate(2026, 3, 1), QTime(8, 5, 7)), locale) +
                      QStringLiteral("\nall fine\n") +
                      StatusStampText(QDateTime(QDate(2026, 11, 30), QTime(17, 45, 0)), locale) +
                      QStringLiteral("\n   \n"));
    ASSERT_TRUE(RichText::writeFile(
        &note, projectDir.filePath(tricky + u'/' + tricky + QStringLiteral(".rtf"))));

    TfAlarmSettings& alarms = program->alarmSettings;
    alarms.appendRow({true, foreign, QStringLiteral("01.12.2026 09:00:00"), QStringLiteral("2"),
                      QStringLiteral("Hour"), QStringLiteral("Yes"), QStringLiteral("Yes")});
    alarms.appendRow({false, foreign, QStringLiteral("05.12.2026 10:30:00"), QStringLiteral("1"),
                      QStringLiteral("Day"), QStringLiteral("No"), QStringLiteral("No")});

    const QString path = outFile(QStringLiteral("list.csv"));
    fake.dialogs.saveFileAnswers << path;
    form().ExportList1->trigger();
    ASSERT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join(u'\n').toStdString();

    const QByteArray bytes = readAll(path);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = parseCsv(QString::fromUtf8(bytes.mid(3)));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0],
              (QStringList{"Name", "Kind", "X", "Y", "Colour", "Status", "Last stamp",
                           "Alarm start", "Alarm period", "Alarm on/off", "Alarm active"}));
    EXPECT_EQ(rows[1], (QStringList{tricky, "Ellipse", "60", "80", "#FF0000", "Broken, waiting",
                                    "2026-11-30T17:45:00", "", "", "", ""}));
    EXPECT_EQ(rows[2], (QStringList{foreign, "Circle", "200", "140", "#008000", "", "",
                                    "2026-12-01T09:00:00\n2026-12-05T10:30:00", "2 Hour\n1 Day",
                                    "on\noff", "Yes\nNo"}));
}

namespace {

// The notes' last stamps as different machines wrote them, and the date and
// time each stands for.
struct WrittenStamp {
    const char* writer;
    const char* line;
    const char* iso;
};
const WrittenStamp stampsOfFiveLocales[] = {
    {"de_DE", "14.03.26 16:20:41", "2026-03-14T16:20:41"},
    {"en_US", "5/21/26 9:07:05 AM", "2026-05-21T09:07:05"},
    {"en_GB", "18/06/2026 22:10:30", "2026-06-18T22:10:30"},
    {"fr_FR", "25/07/2026 07:45:00", "2026-07-25T07:45:00"},
    {"pl_PL", "13.08.2026 13:13:13", "2026-08-13T13:13:13"},
};

} // namespace

class ListStampTest : public ExportTest {
protected:
    // An object whose note ends with these lines.
    void addObjectWithNote(int n, const QString& name, const QString& text)
    {
        addObject(n, name, {60 * n, 80});
        ASSERT_TRUE(QDir(projectDir.path()).mkpath(name));
        QTextDocument note;
        QTextCursor(&note).insertText(text);
        ASSERT_TRUE(RichText::writeFile(
            &note, projectDir.filePath(name + u'/' + name + QStringLiteral(".rtf"))));
    }

    // The last stamp column of each object, the system's locale taken as given.
    QStringList lastStamps(const QLocale& system)
    {
        QStringList stamps;
        const QList<QStringList> rows =
            objectListRows(boardModel(), projectDir.path(), 0, {}, system);
        for (qsizetype i = 1; i < rows.size(); ++i)
            stamps.append(rows[i][6]);
        return stamps;
    }

    QList<QStringList> exportedRows()
    {
        const QString path = outFile(QStringLiteral("list.csv"));
        fake.dialogs.saveFileAnswers << path;
        form().ExportList1->trigger();
        EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join(u'\n').toStdString();
        return parseCsv(QString::fromUtf8(readAll(path).mid(3)));
    }
};

TEST_F(ListStampTest, StampsWrittenUnderFiveLocalesAreReadUnderEachOfThemAndTheSystems)
{
    QStringList expected;
    int n = 0;
    for (const WrittenStamp& stamp : stampsOfFiveLocales) {
        // The lines are the stamps the status buttons write on such a machine.
        const QDateTime when = QDateTime::fromString(stamp.iso, Qt::ISODate);
        ASSERT_EQ(StatusStampText(when, QLocale(stamp.writer)), stamp.line) << stamp.writer;
        addObjectWithNote(++n, stamp.writer,
                          QStringLiteral("Checked 3 valves\n") + stamp.line +
                              QStringLiteral("\n12 bar, fine\n   \n"));
        expected.append(stamp.iso);
    }
    // A stamp of midnight has no time.
    addObjectWithNote(++n, QStringLiteral("midnight"), QStringLiteral("01.02.27\n"));
    expected.append(QStringLiteral("2027-02-01T00:00:00"));

    for (const WrittenStamp& reader : stampsOfFiveLocales)
        EXPECT_EQ(lastStamps(QLocale(reader.writer)), expected) << "read under " << reader.writer;
    QStringList exported;
    for (const QStringList& row : exportedRows().mid(1))
        exported.append(row[6]);
    EXPECT_EQ(exported, expected) << "under the system's locale";
}

TEST_F(ListStampTest, AnAmbiguousStampIsReadAsTheSystemsLocaleWritesItThenDayFirst)
{
    addObjectWithNote(1, QStringLiteral("Pump"), QStringLiteral("3/4/26 4:20:41 PM"));
    addObjectWithNote(2, QStringLiteral("Tank"), QStringLiteral("03.04.2026 16:20:41"));
    ASSERT_EQ(StatusStampText(QDateTime(QDate(2026, 4, 3), QTime(16, 20, 41)), QLocale("en_AU")),
              "3/4/26 4:20:41 PM");
    EXPECT_EQ(lastStamps(QLocale("en_US")),
              (QStringList{"2026-03-04T16:20:41", "2026-04-03T16:20:41"}));
    EXPECT_EQ(lastStamps(QLocale("en_AU")),
              (QStringList{"2026-04-03T16:20:41", "2026-04-03T16:20:41"}));
    // A system locale whose own form reads neither: the day-first form, then
    // the other locales, the United States' among the first.
    EXPECT_EQ(lastStamps(QLocale("de_DE")),
              (QStringList{"2026-03-04T16:20:41", "2026-04-03T16:20:41"}));
}

TEST_F(ListStampTest, LinesThatOnlyLookLikeStampsAreNotStamps)
{
    addObjectWithNote(1, QStringLiteral("Pump"),
                      QStringLiteral("14.03.2026 16:20:41\n31.02.2026 10:00:00\n12 bar\n"
                                     "2026 was a good year\n14.03.2026 16:20:41 by Anna\n"));
    EXPECT_EQ(lastStamps(QLocale("de_DE")), QStringList{"2026-03-14T16:20:41"});
}

TEST_F(ListStampTest, TheSampleProjectsListHasItsStampsAndAlarmStartsInIso8601)
{
    const QString sample = projectDir.filePath(QStringLiteral("Plant"));
    copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), sample);
    fake.dialogs.folderAnswers = {sample};
    form().Open1Click();
    ASSERT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();

    const QList<QStringList> rows = exportedRows();
    ASSERT_EQ(rows.size(), 6);
    QStringList names, stamps, starts;
    for (const QStringList& row : rows.mid(1)) {
        names.append(row[0]);
        stamps.append(row[6]);
        starts.append(row[7]);
    }
    EXPECT_EQ(names, (QStringList{"Boiler", "Pump 1", "Pump 2", "Tank A", "Gate"}));
    EXPECT_EQ(stamps, (QStringList{"2026-03-14T16:20:41", "2026-12-03T06:12:30",
                                   "2026-12-07T08:30:00", "2026-10-01T15:00:00", ""}));
    EXPECT_EQ(starts, (QStringList{"", "2026-12-03T06:15:00", "", "2030-06-15T09:00:00", ""}));
}

TEST_F(ListStampTest, AnAlarmStartTheListCannotReadIsWrittenAsItStands)
{
    addObject(1, QStringLiteral("Gate"), {60, 80});
    program->alarmSettings.appendRow(
        {true, QStringLiteral("Gate"), QStringLiteral("31.02.2026 09:00:00"), QStringLiteral("2"),
         QStringLiteral("Hours"), QStringLiteral("Off"), QStringLiteral("False")});
    program->alarmSettings.appendRow(
        {true, QStringLiteral("Gate"), QStringLiteral("1.2.2026 9:05:00"), QStringLiteral("2"),
         QStringLiteral("Hours"), QStringLiteral("Off"), QStringLiteral("False")});
    const QList<QStringList> rows = exportedRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][7], "31.02.2026 09:00:00\n2026-02-01T09:05:00");
}
