#include "WindowsFixture.h"

#include "notes/StatusButtons.h"
#include "platform/ColorRef.h"
#include "shapes/ShapeCustom.h"
#include "shapes/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimeEdit>

namespace {

// Everything the board shows of one object.
struct ObjectSeen {
    QString shapeName;
    QRect shape;
    ShapeKind kind = ShapeKind::Rectangle;
    quint32 fill = 0;
    BrushStyle brush = BrushStyle::Solid;
    QString caption;
    QRect label;
    int fontSize = 0;
    bool bold = false;
    bool visible = false;
    quint32 fontColor = 0;

    bool operator==(const ObjectSeen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ObjectSeen& o)
{
    return out << o.shapeName.toStdString() << " '" << o.caption.toStdString() << "' shape "
               << o.shape.x() << ',' << o.shape.y() << ' ' << o.shape.width() << 'x'
               << o.shape.height() << " kind " << int(o.kind) << " fill " << std::hex << o.fill
               << std::dec << " brush " << int(o.brush) << " label " << o.label.x() << ','
               << o.label.y() << " size " << o.fontSize << (o.bold ? " bold" : "")
               << (o.visible ? " visible" : " hidden") << " colour " << std::hex << o.fontColor
               << std::dec;
}

QList<ObjectSeen> objectsOn(Board& board)
{
    QList<ObjectSeen> seen;
    for (ObjectShape* shape : board.model().shapes()) {
        ObjectSeen o;
        o.shapeName = shape->objectName();
        o.shape = shape->geometry();
        o.kind = shape->shapeKind();
        o.fill = shape->brushColor();
        o.brush = shape->brushStyle();
        if (ObjectLabel* label = board.model().labelOf(shape)) {
            o.caption = label->caption();
            o.label = label->geometry();
            o.fontSize = label->fontSize();
            o.bold = label->isBold();
            o.visible = !label->isHidden();
            o.fontColor = label->fontColor();
        }
        seen.append(o);
    }
    return seen;
}

QStringList columnsOf(const StringGrid* grid)
{
    QStringList out;
    for (const QStringList& column : grid->columns())
        out.append(column.join(QLatin1Char('|')));
    return out;
}

// The colour of the text of the first line of the note that reads text.
QColor lineColour(const QTextEdit* editor, const QString& text)
{
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next())
        if (block.text() == text && block.begin() != block.end())
            return block.begin().fragment().charFormat().foreground().color();
    return {};
}

} // namespace

// Alarm rows in failure messages.
static void PrintTo(const AlarmRow& row, std::ostream* out)
{
    *out << (row.enabled ? "[x] " : "[ ] ") << row.name.toStdString() << " | "
         << row.time.toStdString() << " | " << row.duration.toStdString() << ' '
         << row.unit.toStdString() << " | sound " << row.sound.toStdString() << " | active "
         << row.active.toStdString();
}

// From a first start without settings to a second start that must find
// everything as it was left.
using EndToEnd = WindowsFixture;

TEST_F(EndToEnd, AProjectMadeThroughTheWindowsIsBackExactlyAfterARestartAndRewritesTheSameBytes)
{
    // ---- First start: no settings, an idle board ----
    setClock(QTime(9, 30, 0));
    form().Timer1Timer();
    ASSERT_FALSE(QFile::exists(form().lastProjectFile()));
    ASSERT_FALSE(form().project().isOpen());
    program->alarmSettings.Timer1Timer();

    // ---- FILE > New ----
    fake.dialogs.inputAnswers = {QStringLiteral("Plant")};
    fake.dialogs.folderAnswers = {projectDir.path()};
    form().New1->trigger();
    ASSERT_EQ(form().windowTitle(), Caption::project("Plant", projectDir.path()));
    ASSERT_EQ(fake.dialogs.messages,
              QStringList{"New project archive is located in:" + projectDir.path()});

    // ---- SETTINGS > Default object table: a header row and column ----
    fake.pointer.at = QPoint(300, 300);
    form().Defaultobjecttable1->trigger();
    ASSERT_EQ(TObjectTable::windows().size(), 1);
    TObjectTable* defaults = TObjectTable::windows().first();
    EXPECT_EQ(defaults->windowTitle(), "Default");
    inputCell(defaults, 1, 0, QStringLiteral("Qty"));
    inputCell(defaults, 2, 0, QStringLiteral("Price"));
    inputCell(defaults, 0, 1, QStringLiteral("Bolt"));
    ASSERT_TRUE(defaults->close());
    ASSERT_TRUE(QFile::exists(projectFile("defaulttable.txt")));

    // ---- Three objects of different kinds through the default object settings ----
    form().Objesctmass1->trigger();
    TForm5& look = program->form5;
    ASSERT_TRUE(look.isVisible());
    newObject(QStringLiteral("Pump"), QPoint(500, 400));

    look.RectangleComboBox1->setCurrentText(QStringLiteral("Circle"));
    look.SpinEdit1->setText(QStringLiteral("30"));
    look.ComboBox2->setCurrentIndex(1); // Bold
    look.ComboBox2Change();
    newObject(QStringLiteral("Tank A"), QPoint(800, 500));

    look.RectangleComboBox1->setCurrentText(QStringLiteral("Ellipse"));
    look.SpinEdit1->setText(QStringLiteral("40"));
    look.SpinEdit2->setText(QStringLiteral("20"));
    look.ComboBox4->setCurrentIndex(5); // 10
    look.ComboBox4Change();
    newObject(QStringLiteral("Valve"), QPoint(1100, 300));
    look.hide();
    setRoundingMode(RoundingMode::NearestEven);

    ASSERT_EQ(boardModel().shapes().size(), 3);
    EXPECT_EQ(shapeOf("Pump")->shapeKind(), ShapeKind::Rectangle);
    EXPECT_EQ(shapeOf("Tank A")->shapeKind(), ShapeKind::Circle);
    EXPECT_EQ(shapeOf("Tank A")->size(), QSize(30, 30));
    EXPECT_EQ(shapeOf("Valve")->shapeKind(), ShapeKind::Ellipse);
    EXPECT_EQ(shapeOf("Valve")->size(), QSize(40, 20));
    EXPECT_EQ(readAll(projectFile("Valve/Valvetable.txt")),
              readAll(projectFile("defaulttable.txt")));

    // ---- A note with two stamps ----
    TForm2* note = doublePress(QStringLiteral("Pump"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->windowTitle(), "Pump");
    QTest::keyClicks(note->RichEdit1, QStringLiteral("Seal checked"));
    newStatus(note, QStringLiteral("Running"), QColor(0, 160, 0));
    newStatus(note, QStringLiteral("Broken"), QColor(200, 0, 0));
    ASSERT_EQ(note->statusButtons().size(), 2);
    QTest::mouseDClick(note->statusButtons()[0], Qt::LeftButton);
    const QString firstStamp = StatusStampText(fake.clock.current, QLocale::system());
    setClock(QTime(9, 34, 10));
    QTest::mouseDClick(note->statusButtons()[1], Qt::LeftButton);
    const QString secondStamp = StatusStampText(fake.clock.current, QLocale::system());
    ASSERT_NE(firstStamp, secondStamp);
    const QString noteText = note->RichEdit1->toPlainText();
    EXPECT_TRUE(noteText.startsWith("Seal checked")) << noteText.toStdString();
    EXPECT_TRUE(noteText.contains(firstStamp)) << noteText.toStdString();
    EXPECT_TRUE(noteText.contains(secondStamp)) << noteText.toStdString();
    EXPECT_EQ(lineColour(note->RichEdit1, firstStamp), QColor(0, 160, 0));
    EXPECT_EQ(lineColour(note->RichEdit1, secondStamp), QColor(200, 0, 0));
    EXPECT_EQ(shapeOf("Pump")->brushColor(), 0x0000C8u);
    ASSERT_TRUE(note->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(NoteWindow(), nullptr);

    // ---- The table of an object, from its pop-up menu ----
    rightPress(QStringLiteral("Valve"));
    form().able1->trigger();
    TObjectTable* valveTable = TObjectTable::find(form().project().tableFile("Valve"));
    ASSERT_NE(valveTable, nullptr);
    EXPECT_EQ(valveTable->windowTitle(), "Valve");
    EXPECT_EQ(valveTable->StringGrid1->cell(1, 0), "Qty");
    pressCell(valveTable, 1, 1);
    ASSERT_NE(valveTable->StringGrid1->cellEditor(), nullptr);
    QTest::keyClicks(valveTable->StringGrid1->cellEditor(), QStringLiteral("12"));
    pressCell(valveTable, 2, 1);
    QTest::keyClicks(valveTable->StringGrid1->cellEditor(), QStringLiteral("0,35"));
    inputCell(valveTable, 0, 2, QStringLiteral("Nut"));
    const QStringList valveCells = columnsOf(valveTable->StringGrid1);
    EXPECT_EQ(valveCells.mid(0, 3), (QStringList{"|Bolt|Nut||", "Qty|12|||", "Price|0,35|||"}));
    ASSERT_TRUE(valveTable->close());

    // ---- Two alarms: one running now, one later in the month ----
    setClock(QTime(9, 40, 0));
    addAlarm(QStringLiteral("Pump"), [](TfAddEditAlarm& dialog) {
        dialog.spDuration->setValue(2);
        dialog.UnitCB->setCurrentIndex(1); // Hours
    });
    addAlarm(QStringLiteral("Tank A"), [](TfAddEditAlarm& dialog) {
        dialog.dtpStartDate->setDate(QDate(2026, 12, 24));
        dialog.dtpStartTime->setTime(QTime(8, 0, 0));
        dialog.spDuration->setValue(3);
        dialog.SoundCB->setCurrentIndex(1); // On
    });
    // The alarm worker's next check, on an even second: the object stays solid.
    setClock(QTime(9, 40, 2));
    program->alarmSettings.CheckAlarms();
    const QList<AlarmRow> alarms = program->alarmSettings.rows();
    ASSERT_EQ(alarms.size(), 2);
    EXPECT_EQ(alarms[0],
              (AlarmRow{true, "Pump", "08.12.2026 09:40:00", "2", "Hours", "Off", "True"}));
    EXPECT_EQ(alarms[1],
              (AlarmRow{true, "Tank A", "24.12.2026 08:00:00", "3", "Days", "On", "False"}));
    EXPECT_EQ(shapeOf("Pump")->brushStyle(), BrushStyle::Solid);

    // ---- Close ----
    const QList<ObjectSeen> objects = objectsOn(board());
    const QString caption = form().windowTitle();
    ASSERT_TRUE(form().close());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    const QMap<QString, QByteArray> afterFirstRun = filesUnder(projectDir.path());
    const QByteArray rememberedProject = readAll(form().lastProjectFile());
    for (const char* name : {"iniformsettings.ini", "fStreamShape.txt", "fStreamLabel.txt",
                             "defaulttable.txt", "Alarm.dat", "youriniSB.ini", "Pump/Pump.rtf",
                             "Pump/Pumptable.txt", "Tank A/Tank A.rtf", "Valve/Valvetable.txt"})
        EXPECT_TRUE(afterFirstRun.contains(name)) << name;

    // ---- Second start: everything as it was left ----
    fake.dialogs.messages.clear();
    restart();
    EXPECT_EQ(form().windowTitle(), caption);
    EXPECT_EQ(form().project().formName(), "Plant");
    const QList<ObjectSeen> reloaded = objectsOn(board());
    ASSERT_EQ(reloaded.size(), objects.size());
    for (qsizetype i = 0; i < objects.size(); ++i)
        EXPECT_EQ(reloaded[i], objects[i]) << "object " << i;
    EXPECT_EQ(program->alarmSettings.rows(), alarms);

    note = doublePress(QStringLiteral("Pump"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->RichEdit1->toPlainText(), noteText);
    EXPECT_EQ(lineColour(note->RichEdit1, firstStamp), QColor(0, 160, 0));
    EXPECT_EQ(lineColour(note->RichEdit1, secondStamp), QColor(200, 0, 0));
    ASSERT_EQ(note->statusButtons().size(), 2);
    EXPECT_EQ(note->statusButtons()[0]->text(), "Running");
    EXPECT_EQ(note->statusButtons()[1]->color(), 0x0000C8u);
    EXPECT_EQ(note->color(), 0x0000C8u);
    ASSERT_TRUE(note->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    rightPress(QStringLiteral("Valve"));
    form().able1->trigger();
    valveTable = TObjectTable::find(form().project().tableFile("Valve"));
    ASSERT_NE(valveTable, nullptr);
    EXPECT_EQ(columnsOf(valveTable->StringGrid1), valveCells);
    ASSERT_TRUE(valveTable->close());

    ASSERT_TRUE(form().close());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty()) << fake.dialogs.messages.join('\n').toStdString();

    // ---- The second open and close changed no byte ----
    const QMap<QString, QByteArray> afterSecondRun = filesUnder(projectDir.path());
    EXPECT_EQ(afterSecondRun.keys(), afterFirstRun.keys());
    for (auto it = afterFirstRun.cbegin(); it != afterFirstRun.cend(); ++it)
        EXPECT_EQ(afterSecondRun.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(readAll(form().lastProjectFile()), rememberedProject);
}
