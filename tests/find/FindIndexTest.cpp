#include "find/FindIndex.h"
#include "find/FindIndexer.h"
#include "support/Files.h"
#include "project/Project.h"
#include "tables/TableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString marked(const FindHit& hit)
{
    return hit.excerpt.mid(hit.markStart, hit.markLength);
}

QList<FindHit> findIn(const FindIndex& index, const QString& query, const QStringList& alarms = {})
{
    return index.find(query, alarms, 100);
}

} // namespace

TEST(FindIndexTest, MatchesIgnoreCaseAndAccentsAndMarkTheOriginalLetters)
{
    FindIndex index;
    // "Zoë" spelt with a combining diaeresis; "Ǆ" decomposes to two letters.
    index.reset({QStringLiteral("Café Müller"), QStringLiteral("Zoe\u0308 Ström"),
                 QStringLiteral("ПРИВЕТ мир"), QStringLiteral("Pump 7")});

    for (const char* query : {"cafe", "CAFÉ", "CaFe\xcc\x81", "mull"}) {
        const QList<FindHit> hits = findIn(index, QString::fromUtf8(query));
        ASSERT_EQ(hits.size(), 1) << query;
        EXPECT_EQ(hits[0].object, QStringLiteral("Café Müller"));
        EXPECT_EQ(hits[0].where, FoundIn::Name);
    }
    EXPECT_EQ(marked(findIn(index, QStringLiteral("MULLER"))[0]), QStringLiteral("Müller"));
    // The mark takes in the combining mark the query did not need.
    EXPECT_EQ(marked(findIn(index, QStringLiteral("zoe"))[0]), QStringLiteral("Zoe\u0308"));
    EXPECT_EQ(marked(findIn(index, QStringLiteral("e st"))[0]), QStringLiteral("e\u0308 St"));
    EXPECT_EQ(marked(findIn(index, QStringLiteral("привет"))[0]), QStringLiteral("ПРИВЕТ"));
    EXPECT_TRUE(findIn(index, QStringLiteral("pump 8")).isEmpty());
    EXPECT_TRUE(findIn(index, QString()).isEmpty());
}

TEST(FindIndexTest, ALongTextKeepsItsOriginsInAFewShifts)
{
    // A letter that folds to two and a combining mark that folds to none move
    // every later origin; the rest follows one for one.
    const QString line = QStringLiteral("Die Straße ist nass, Zoe\u0308 wartet. ");
    const QString text = line.repeated(2000);
    const FoldedText folded = FoldedText::of(text);
    EXPECT_EQ(folded.shifts.size(), 2 * 2000);
    EXPECT_TRUE(FoldedText::of(QStringLiteral("Plain ASCII text, Café too. ").repeated(2000))
                    .shifts.isEmpty());

    ObjectText object = ObjectText::forName(QStringLiteral("Road"));
    object.setNote(text);
    FindIndex index;
    index.reset({QStringLiteral("Road")});
    index.update(object);
    const QList<FindHit> hits = index.find(QStringLiteral("strasse"), {}, 5000);
    ASSERT_EQ(hits.size(), 2000);
    for (const int n : {0, 1, 999, 1999}) {
        EXPECT_EQ(hits[n].position, n * line.size() + 4);
        EXPECT_EQ(text.mid(hits[n].position, hits[n].length), QStringLiteral("Straße"));
    }
    const QList<FindHit> after = index.find(QStringLiteral("zoe wartet"), {}, 5000);
    ASSERT_EQ(after.size(), 2000);
    EXPECT_EQ(text.mid(after[1999].position, after[1999].length),
              QStringLiteral("Zoe\u0308 wartet"));
}

TEST(FindIndexTest, ATextOfOneByteACharacterFoldsAsAnyText)
{
    // Byte by byte for Latin-1, character by character otherwise: the same
    // folded letters from the same places.
    for (const QString& original :
         {QStringLiteral("Große STRASSE, Ærø, Çà ÿ ß. "), QStringLiteral("1 µm ß Ä")}) {
        const QString text = original.repeated(50);
        const FoldedText any = FoldedText::of(text);
        const FoldedText bytes = FoldedText::of(CompactText(text));
        ASSERT_TRUE(CompactText(text).latin1());
        ASSERT_EQ(bytes.folded.toString().toStdString(), any.folded.toString().toStdString());
        for (qsizetype i = 0; i < any.folded.size(); ++i)
            ASSERT_EQ(bytes.origin(i), any.origin(i)) << i;
        EXPECT_EQ(bytes.shifts.size(), any.shifts.size());
    }
}

TEST(FindIndexTest, HitsComeByPlaceAndStopAtTheLimit)
{
    FindIndex index;
    index.reset({QStringLiteral("Valve"), QStringLiteral("Tank")});
    ObjectText tank = ObjectText::forName(QStringLiteral("Tank"));
    tank.setNote(QStringLiteral("the valve leaks\nvalve replaced"));
    tank.setTable({{QStringLiteral("Spare"), QStringLiteral("Valve")}}, 2);
    ASSERT_TRUE(index.update(tank));

    const QList<FindHit> hits =
        findIn(index, QStringLiteral("valve"), {QStringLiteral("Valve check")});
    ASSERT_EQ(hits.size(), 5);
    EXPECT_EQ(hits[0].where, FoundIn::Name);
    EXPECT_EQ(hits[1].where, FoundIn::Note);
    EXPECT_EQ(hits[1].position, 4);
    EXPECT_EQ(hits[2].where, FoundIn::Note);
    EXPECT_EQ(hits[2].position, 16);
    // A line break in the note shows as a blank in the excerpt.
    EXPECT_EQ(hits[2].excerpt, QStringLiteral("the valve leaks valve replaced"));
    EXPECT_EQ(hits[3].where, FoundIn::Table);
    EXPECT_EQ(hits[4].where, FoundIn::Alarm);
    EXPECT_EQ(hits[4].object, QStringLiteral("Valve check"));

    bool more = false;
    EXPECT_EQ(index.find(QStringLiteral("valve"), {}, 2, &more).size(), 2);
    EXPECT_TRUE(more);
    index.find(QStringLiteral("valve"), {}, 4, &more);
    EXPECT_FALSE(more);
}

TEST(FindIndexTest, ATableHitNamesItsCellAndNoMatchRunsAcrossCells)
{
    FindIndex index;
    index.reset({QStringLiteral("Pump")});
    ObjectText pump = ObjectText::forName(QStringLiteral("Pump"));
    // Column by column: columns[c][r].
    pump.setTable({{QStringLiteral("Seal"), QStringLiteral("ab")},
                   {QStringLiteral("cd"), QStringLiteral("Ölfilter 5 µm")}},
                  2);
    index.update(pump);

    const QList<FindHit> hits = findIn(index, QStringLiteral("olfilter"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].column, 1);
    EXPECT_EQ(hits[0].row, 1);
    EXPECT_EQ(hits[0].excerpt, QStringLiteral("Ölfilter 5 µm"));
    EXPECT_EQ(marked(hits[0]), QStringLiteral("Ölfilter"));
    EXPECT_EQ(findIn(index, QStringLiteral("cd"))[0].column, 1);
    EXPECT_EQ(findIn(index, QStringLiteral("cd"))[0].row, 0);
    EXPECT_TRUE(findIn(index, QStringLiteral("abcd")).isEmpty());
    EXPECT_TRUE(findIn(index, QStringLiteral("sealab")).isEmpty());
}

TEST(FindIndexTest, ARemovedObjectIsGoneAndItsLateTextIsNotTakenBack)
{
    FindIndex index;
    index.reset({QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")});
    index.remove(QStringLiteral("A2"));
    EXPECT_FALSE(index.update(ObjectText::forName(QStringLiteral("A2"))));
    index.remove(QStringLiteral("A1")); // compacts: half are removed
    index.add(QStringLiteral("A4"));
    EXPECT_EQ(index.names(), QStringList({QStringLiteral("A3"), QStringLiteral("A4")}));
    QStringList found;
    for (const FindHit& hit : findIn(index, QStringLiteral("a")))
        found.append(hit.object);
    EXPECT_EQ(found, index.names());
}

TEST(FindIndexTest, NamesHeldTogetherAreFoundEachOnItsOwnBeforeAndAfterRemovals)
{
    // Letters that fold to two or to none move the places of every later name.
    FindIndex index;
    index.reset({QStringLiteral("Straße 1"), QStringLiteral("Zoe\u0308"), QStringLiteral("Maße"),
                 QStringLiteral("Pump"), QStringLiteral("Tank")});
    ObjectText note = ObjectText::forName(QStringLiteral("Maße"));
    note.setNote(QStringLiteral("measured twice"));
    ASSERT_TRUE(index.update(note));

    const auto check = [&](const char* query, const QString& object, const QString& mark) {
        const QList<FindHit> hits = findIn(index, QString::fromUtf8(query));
        ASSERT_EQ(hits.size(), 1) << query;
        EXPECT_EQ(hits[0].object, object) << query;
        EXPECT_EQ(hits[0].where, FoundIn::Name) << query;
        EXPECT_EQ(marked(hits[0]), mark) << query;
        EXPECT_EQ(hits[0].excerpt, object) << query;
    };
    check("masse", QStringLiteral("Maße"), QStringLiteral("Maße"));
    check("zoe", QStringLiteral("Zoe\u0308"), QStringLiteral("Zoe\u0308"));
    check("SSE 1", QStringLiteral("Straße 1"), QStringLiteral("ße 1"));
    check("mp", QStringLiteral("Pump"), QStringLiteral("mp"));
    // No match runs from the end of one name into the next.
    EXPECT_TRUE(findIn(index, QStringLiteral("1zoe")).isEmpty());
    EXPECT_TRUE(findIn(index, QStringLiteral("pumptank")).isEmpty());

    index.remove(QStringLiteral("Straße 1"));
    EXPECT_TRUE(findIn(index, QStringLiteral("strasse")).isEmpty());
    check("masse", QStringLiteral("Maße"), QStringLiteral("Maße"));
    index.remove(QStringLiteral("Zoe\u0308"));
    index.remove(QStringLiteral("Tank")); // compacts: more than half are removed
    check("masse", QStringLiteral("Maße"), QStringLiteral("Maße"));
    check("ump", QStringLiteral("Pump"), QStringLiteral("ump"));
    EXPECT_EQ(findIn(index, QStringLiteral("twice")).size(), 1); // the note stays with its name
    index.add(QStringLiteral("Groß"));
    check("gross", QStringLiteral("Groß"), QStringLiteral("Groß"));
    EXPECT_EQ(index.names(), QStringList({QStringLiteral("Maße"), QStringLiteral("Pump"),
                                          QStringLiteral("Groß")}));
}

TEST(FindIndexTest, ObjectsAddedAndRemovedByTheThousandAreEachHeldOnceAndFoundByName)
{
    const auto name = [](int n) { return QStringLiteral("Object %1").arg(n); };
    FindIndex index;
    for (int n = 0; n < 1000; ++n) {
        index.add(name(n));
        index.add(name(n / 2)); // held already
    }
    EXPECT_EQ(index.size(), 1000);
    for (int n = 0; n < 400; ++n)
        index.remove(name(n)); // not yet half: the removed records stay
    for (int n = 0; n < 10; ++n)
        index.add(name(n)); // back, at the end
    EXPECT_EQ(index.size(), 610);
    EXPECT_FALSE(index.contains(QString()));
    EXPECT_FALSE(index.contains(name(10)));
    EXPECT_FALSE(index.update(ObjectText::forName(name(10))));
    EXPECT_TRUE(index.contains(name(9)));
    EXPECT_TRUE(index.contains(name(999)));
    EXPECT_EQ(index.names().first(), name(400));
    EXPECT_EQ(index.names().last(), name(9));

    for (int n = 400; n < 700; ++n)
        index.remove(name(n)); // compacts
    EXPECT_EQ(index.size(), 310);
    for (int n = 0; n < 1000; ++n)
        EXPECT_EQ(index.contains(name(n)), n < 10 || n >= 700) << n;
    ObjectText note = ObjectText::forName(name(5));
    note.setNote(QStringLiteral("back again"));
    EXPECT_TRUE(index.update(note));
    const QList<FindHit> hits = findIn(index, QStringLiteral("object 5"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].object, name(5));
    EXPECT_EQ(findIn(index, QStringLiteral("again")).at(0).object, name(5));
}

// The texts of an object as read from its files.
class FindReadTest : public ::testing::Test {
protected:
    QString folder() const { return QDir::toNativeSeparators(projectDir.path()); }

    void writeNote(const QString& name, const QByteArray& bytes)
    {
        ASSERT_TRUE(QDir(projectDir.path()).mkpath(name));
        writeAll(projectDir.filePath(name + QLatin1Char('/') + name + QStringLiteral(".rtf")),
                 bytes);
    }

    QTemporaryDir projectDir;
};

TEST_F(FindReadTest, NotesInEveryStyleAreFoundWhereTheirTextIs)
{
    const struct {
        const char* fixture;
        const char* query;
        const char* text;
    } cases[] = {
        {"richedit.rtf", "cafe costs", "café costs"}, {"richedit.rtf", "BOLD", "bold"},
        {"word.rtf", "inside after", "inside after"}, {"libreoffice.rtf", "grusse", "Grüße"},
        {"wordpad-cyrillic.rtf", "мир", "мир"},       {"plain-utf8.txt", "koln", "Köln"},
    };
    for (const auto& c : cases) {
        writeNote(QStringLiteral("Pump"),
                  readAll(QStringLiteral(VEXORIN_FIXTURES "/rtf/") + QLatin1String(c.fixture)));
        FindIndex index;
        index.reset({QStringLiteral("Pump")});
        const ObjectText text = FindIndexer::read(folder(), QStringLiteral("Pump"));
        index.update(text);
        const QList<FindHit> hits = findIn(index, QString::fromUtf8(c.query));
        ASSERT_EQ(hits.size(), 1) << c.fixture << " " << c.query;
        EXPECT_EQ(hits[0].where, FoundIn::Note);
        // The position is where the caret goes in the note's text.
        EXPECT_EQ(text.contents->note.mid(hits[0].position, hits[0].length),
                  QString::fromUtf8(c.text))
            << c.fixture;
    }
}

TEST_F(FindReadTest, NotesThatOnceCrashedTheReaderAreIndexed)
{
    const QString crashes = QStringLiteral(VEXORIN_FIXTURES "/rtf/crashes/");
    for (const QString& name : QDir(crashes).entryList(QDir::Files)) {
        writeNote(QStringLiteral("Pump"), readAll(crashes + name));
        const ObjectText text = FindIndexer::read(folder(), QStringLiteral("Pump"));
        EXPECT_EQ(text.name, QStringLiteral("Pump")) << name.toStdString();
    }
    writeNote(QStringLiteral("Pump"), "{\\rtf\\cellx\\cellx\\ls2 one\\cell two\\cell}");
    FindIndex index;
    index.reset({QStringLiteral("Pump")});
    index.update(FindIndexer::read(folder(), QStringLiteral("Pump")));
    ASSERT_EQ(findIn(index, QStringLiteral("two")).size(), 1);
    EXPECT_EQ(findIn(index, QStringLiteral("two"))[0].where, FoundIn::Note);
}

TEST_F(FindReadTest, TablesAreReadAndDamagedOrMissingFilesGiveWhatTheyHold)
{
    writeNote(QStringLiteral("Tank"), QByteArray());
    QString error;
    TableFile::Columns columns = TableFile::emptyColumns(3, 2);
    columns[2][1] = QStringLiteral("Überdruck");
    ASSERT_TRUE(
        TableFile::save(ProjectFiles::table(folder(), QStringLiteral("Tank")), columns, 2, &error));

    FindIndex index;
    index.reset({QStringLiteral("Tank"), QStringLiteral("Missing")});
    index.update(FindIndexer::read(folder(), QStringLiteral("Tank")));
    index.update(FindIndexer::read(folder(), QStringLiteral("Missing")));
    const QList<FindHit> hits = findIn(index, QStringLiteral("uberdruck"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].column, 2);
    EXPECT_EQ(hits[0].row, 1);

    // A table cut short: the cells before the cut are found.
    writeAll(ProjectFiles::table(folder(), QStringLiteral("Tank")), "2\r\n2\r\nalpha\r\nbeta\r\n");
    index.update(FindIndexer::read(folder(), QStringLiteral("Tank")));
    EXPECT_EQ(findIn(index, QStringLiteral("beta")).size(), 1);
    EXPECT_TRUE(findIn(index, QStringLiteral("uberdruck")).isEmpty());
}

// The whole of a project read in the background: the objects that have a
// folder, each once; the others are done at once, and are read when a note or
// table of theirs is saved later.
TEST_F(FindReadTest, AProjectIsReadWhereObjectsHaveFoldersAndTheOthersOnceTheirFilesAreSaved)
{
    writeNote(QStringLiteral("Pump"), "the seal leaks");
    ASSERT_TRUE(QDir(projectDir.path()).mkpath(QStringLiteral("Tank"))); // a folder, no files
    FindIndexer indexer;
    const auto waitForIndex = [&] {
        QElapsedTimer waited;
        waited.start();
        while (indexer.isReading() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(indexer.isReading());
    };
    indexer.indexProject(folder(), {QStringLiteral("Pump"), QStringLiteral("Tank"),
                                    QStringLiteral("Valve"), QStringLiteral("Pump")});
    EXPECT_EQ(indexer.queued(), 3);
    EXPECT_EQ(indexer.done(), 0);
    waitForIndex();
    EXPECT_EQ(indexer.done(), 3);
    QList<FindHit> hits = findIn(indexer.index(), QStringLiteral("seal"));
    ASSERT_EQ(hits.size(), 1); // the name given twice is one object
    EXPECT_EQ(hits[0].object, QStringLiteral("Pump"));

    writeNote(QStringLiteral("Valve"), "gasket replaced");
    EXPECT_TRUE(findIn(indexer.index(), QStringLiteral("gasket")).isEmpty());
    indexer.fileSaved(folder(), ProjectFiles::note(folder(), QStringLiteral("Valve")));
    waitForIndex();
    hits = findIn(indexer.index(), QStringLiteral("gasket"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].object, QStringLiteral("Valve"));
    EXPECT_EQ(hits[0].where, FoundIn::Note);

    // Without a project nothing is read, and names are found all the same.
    indexer.indexProject(QString(), {QStringLiteral("Pump")});
    EXPECT_FALSE(indexer.isReading());
    EXPECT_EQ(findIn(indexer.index(), QStringLiteral("pump")).size(), 1);
}
