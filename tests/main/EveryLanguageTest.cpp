#include "WindowsFixture.h"

#include "notes/StatusButtons.h"
#include "support/SystemCodePage.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QTextEdit>

namespace {

// A user's project in one script, under one system code page.
struct Script {
    const char* language;
    int codePage;
    QString formName;
    QString folder; // below the temporary folder
    QString pump;   // the object with the note and the alarm
    QString tank;   // the object with the table
    QString noteText;
    QString status;
    QString cell;
    bool fitsCodePage; // every text above is in the code page
};

void PrintTo(const Script& script, std::ostream* out)
{
    *out << script.language;
}

// Text typed in any script arrives as an input method's commit.
void typeText(QWidget* editor, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(editor, &event);
}

QStringList columnsOf(const StringGrid* grid)
{
    QStringList out;
    for (const QStringList& column : grid->columns())
        out.append(column.join(QLatin1Char('|')));
    return out;
}

} // namespace

class EveryLanguage : public WindowsFixture, public ::testing::WithParamInterface<Script> {};

TEST_P(EveryLanguage, TheProjectsTextIsBackAfterARestartAndTheAlarmStillFlashesItsObject)
{
    const Script& s = GetParam();
    const SystemCodePage codePage(s.codePage);
    const QString folder = QDir::toNativeSeparators(QDir(projectDir.path()).filePath(s.folder));
    ASSERT_TRUE(QDir().mkpath(folder));
    setClock(QTime(9, 30, 0));
    form().Timer1Timer();
    program->alarmSettings.Timer1Timer();

    // ---- A new project in a folder of the script, two objects ----
    fake.dialogs.inputAnswers = {s.formName};
    fake.dialogs.folderAnswers = {folder};
    form().New1->trigger();
    const QString caption = Caption::project(s.formName, folder);
    ASSERT_EQ(form().windowTitle(), caption);
    fake.pointer.at = QPoint(300, 300);
    form().Defaultobjecttable1->trigger();
    ASSERT_EQ(TObjectTable::windows().size(), 1);
    inputCell(TObjectTable::windows().first(), 1, 0, s.cell);
    ASSERT_TRUE(TObjectTable::windows().first()->close());
    newObject(s.pump, QPoint(500, 400));
    newObject(s.tank, QPoint(800, 500));
    ASSERT_NE(shapeOf(s.pump), nullptr);
    ASSERT_NE(shapeOf(s.tank), nullptr);

    // ---- A note with a status ----
    TForm2* note = doublePress(s.pump);
    ASSERT_NE(note, nullptr);
    typeText(note->RichEdit1, s.noteText);
    newStatus(note, s.status, QColor(0, 160, 0));
    ASSERT_EQ(note->statusButtons().size(), 1);
    // The status stamp ends the text with an empty line, where the caret is
    // put when the note opens again.
    QTest::mouseDClick(note->statusButtons()[0], Qt::LeftButton);
    const QString noteText = note->RichEdit1->toPlainText();
    EXPECT_TRUE(noteText.startsWith(s.noteText)) << noteText.toStdString();
    ASSERT_TRUE(note->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // ---- A table ----
    rightPress(s.tank);
    form().able1->trigger();
    TObjectTable* table = TObjectTable::find(form().project().tableFile(s.tank));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->StringGrid1->cell(1, 0), s.cell);
    inputCell(table, 0, 1, s.tank);
    inputCell(table, 1, 1, s.status);
    const QStringList cells = columnsOf(table->StringGrid1);
    ASSERT_TRUE(table->close());

    // ---- An alarm on the first object ----
    setClock(QTime(9, 40, 0));
    addAlarm(s.pump, [](TfAddEditAlarm& dialog) {
        dialog.spDuration->setValue(2);
        dialog.UnitCB->setCurrentIndex(1); // Hours
    });
    // The alarm worker's next check, on an even second: the object stays solid.
    setClock(QTime(9, 40, 2));
    program->alarmSettings.CheckAlarms();
    EXPECT_FALSE(form().isHatched(*shapeOf(s.pump)));
    const QList<AlarmRow> alarms = program->alarmSettings.rows();
    ASSERT_EQ(alarms.size(), 1);
    EXPECT_EQ(alarms[0].name, s.pump);

    ASSERT_TRUE(form().close());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    const QMap<QString, QByteArray> afterFirstRun = filesUnder(folder);
    const QByteArray rememberedProject = readAll(form().lastProjectFile());

    // Text the code page holds is stored as the Windows version stores it;
    // other text is stored in UTF-8, never as '?'.
    const QString nameField = QString(s.pump).replace(u' ', u'+');
    const QByteArray storedName =
        s.fitsCodePage ? CodePage::encode(nameField).value_or("?") : nameField.toUtf8();
    EXPECT_TRUE(afterFirstRun.value("Alarm.dat").contains(storedName))
        << afterFirstRun.value("Alarm.dat").toHex().constData();
    const QByteArray storedFolder =
        s.fitsCodePage ? CodePage::encode(folder).value_or("?") : folder.toUtf8();
    EXPECT_TRUE(rememberedProject.contains(storedFolder)) << rememberedProject.toHex().constData();

    // ---- Second start: everything as it was left ----
    restart();
    EXPECT_EQ(form().windowTitle(), caption);
    EXPECT_EQ(form().project().formName(), s.formName);
    EXPECT_EQ(form().project().folder(), folder);
    ASSERT_NE(shapeOf(s.pump), nullptr);
    ASSERT_NE(shapeOf(s.tank), nullptr);
    EXPECT_EQ(program->alarmSettings.rows(), alarms);

    setClock(QTime(9, 40, 3));
    program->alarmSettings.CheckAlarms();
    EXPECT_TRUE(form().isHatched(*shapeOf(s.pump)));
    EXPECT_FALSE(form().isHatched(*shapeOf(s.tank)));
    setClock(QTime(9, 40, 4));
    program->alarmSettings.CheckAlarms();

    note = doublePress(s.pump);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->RichEdit1->toPlainText(), noteText);
    ASSERT_EQ(note->statusButtons().size(), 1);
    EXPECT_EQ(note->statusButtons()[0]->text(), s.status);
    ASSERT_TRUE(note->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    rightPress(s.tank);
    form().able1->trigger();
    table = TObjectTable::find(form().project().tableFile(s.tank));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(columnsOf(table->StringGrid1), cells);
    ASSERT_TRUE(table->close());

    ASSERT_TRUE(form().close());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();

    // ---- The second open and close changed no byte ----
    const QMap<QString, QByteArray> afterSecondRun = filesUnder(folder);
    EXPECT_EQ(afterSecondRun.keys(), afterFirstRun.keys());
    for (auto it = afterFirstRun.cbegin(); it != afterFirstRun.cend(); ++it)
        EXPECT_EQ(afterSecondRun.value(it.key()), it.value())
            << it.key().toStdString() << ": " << it.value().toHex().constData();
    EXPECT_EQ(readAll(form().lastProjectFile()), rememberedProject);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, EveryLanguage,
    ::testing::Values(
        Script{"Russian", 1251, QStringLiteral("Завод"), QStringLiteral("Проекты/Цех"),
               QStringLiteral("Насос 1"), QStringLiteral("Бак Б"), QStringLiteral("Проверено"),
               QStringLiteral("Готово"), QStringLiteral("Имя"), true},
        Script{"Polish", 1250, QStringLiteral("Łódź"), QStringLiteral("Projekty/Łódź"),
               QStringLiteral("Pompa ż"), QStringLiteral("Zbiornik Ą"),
               QStringLiteral("Sprawdzone źle"), QStringLiteral("Gotowe"), QStringLiteral("Śruba"),
               true},
        Script{"Greek", 1253, QStringLiteral("Εργοστάσιο"), QStringLiteral("Έργα/Αίθουσα"),
               QStringLiteral("Αντλία 1"), QStringLiteral("Δεξαμενή"), QStringLiteral("Ελέγχθηκε"),
               QStringLiteral("Έτοιμο"), QStringLiteral("Βίδα"), true},
        // 表 ends in the byte of a backslash.
        Script{"Japanese", 932, QStringLiteral("工場"), QStringLiteral("プロジェクト/表示"),
               QStringLiteral("ポンプ 1"), QStringLiteral("タンク"), QStringLiteral("点検済み"),
               QStringLiteral("完了"), QStringLiteral("ボルト"), true},
        Script{"WesternWithCyrillicAndChinese", 1252, QStringLiteral("Завод 工厂"),
               QStringLiteral("Проекты/工厂"), QStringLiteral("Насос 1"),
               QStringLiteral("工厂 Café"), QStringLiteral("Проверено 中文"),
               QStringLiteral("Готово"), QStringLiteral("中文"), false}),
    [](const ::testing::TestParamInfo<Script>& info) { return std::string(info.param.language); });
