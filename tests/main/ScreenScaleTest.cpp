// The board at the scale factors of today's screens. Qt takes the scale
// factor only when the application starts, so each scale runs in a child copy
// of this test binary: it opens a copy of the sample project, says where each
// object stands on the plan, and closes the program.
#include "WindowsFixture.h"
#include "support/Files.h"

#include "platform/ColorRef.h"

#include <QProcess>
#include <iostream>

namespace {

const char* const ProjectVariable = "VEXORIN_SCALE_PROJECT";
const QByteArray Place = "place ";

using ScreenScale = WindowsFixture;

// Started only by the test below, at the scale factor it sets.
TEST_F(ScreenScale, DISABLED_OpenSayWhereTheObjectsStandAndClose)
{
    const QString folder = qEnvironmentVariable(ProjectVariable);
    ASSERT_FALSE(folder.isEmpty());
    // The desktop as Qt measures it at this scale.
    program.reset();
    fake.desktop.screen = QGuiApplication::primaryScreen()->geometry().size();
    start();
    fake.dialogs.folderAnswers = {folder};
    form().Open1Click();
    ASSERT_EQ(form().project().folder(), folder);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));

    // Where each shape's middle is drawn, in screen pixels, as a share of the
    // plan drawn on the screen; and that the shape's colour is there.
    const QImage screen = board().viewport()->grab().toImage();
    const qreal ratio = screen.devicePixelRatio();
    const QPointF planEnd = QPointF(board().viewPoint(QPoint(board().boardSize().width(),
                                                             board().boardSize().height()))) *
                            ratio;
    for (const ObjectShape* shape : boardModel().shapes()) {
        const QPointF middle = QPointF(board().viewPoint(shape->geometry().center())) * ratio;
        const bool drawn = form().isHatched(*shape) ||
                           (screen.pixelColor(middle.toPoint()).rgb() & 0xFFFFFF) ==
                               (ColorRef::toQColor(shape->brushColor()).rgb() & 0xFFFFFF);
        std::cout << Place.constData() << shape->objectName().toStdString() << ' '
                  << middle.x() / planEnd.x() << ' ' << middle.y() / planEnd.y() << ' '
                  << planEnd.x() << ' ' << planEnd.y() << ' ' << drawn << std::endl;
    }
    ASSERT_TRUE(form().close());
}

struct Places {
    QMap<QString, QPointF> share;
    QSizeF plan; // in screen pixels
    bool allDrawn = true;
};

// The sample opened and closed at one scale factor: where its objects stood,
// and the folder's files as the close left them.
Places openAndCloseAt(const QString& scale, const QString& folder, QString* failure)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ProjectVariable), folder);
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ScreenScale.DISABLED_*"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    Places places;
    if (!child.waitForFinished(120'000) || child.exitCode() != 0) {
        *failure =
            QString::fromLocal8Bit(child.readAllStandardOutput() + child.readAllStandardError());
        return places;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith(Place))
            continue;
        const QList<QByteArray> fields = line.mid(Place.size()).split(' ');
        if (fields.size() != 6)
            continue;
        places.share.insert(QString::fromLatin1(fields[0]),
                            QPointF(fields[1].toDouble(), fields[2].toDouble()));
        places.plan = QSizeF(fields[3].toDouble(), fields[4].toDouble());
        places.allDrawn = places.allDrawn && fields[5] == "1";
    }
    return places;
}

} // namespace

TEST(ScreenScaleTest, ObjectsKeepTheirPlaceOnThePlanAndNoFileChangesAtAnyScale)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Plant"));
    copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), folder);
    QFile::remove(folder + QStringLiteral("/Alarm.dat")); // nothing comes due meanwhile
    // The caption names the folder it is saved in: saved once, the files are
    // as this folder's own.
    QString failure;
    openAndCloseAt(QStringLiteral("1"), folder, &failure);
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    const QMap<QString, QByteArray> files = filesUnder(folder);

    QMap<QString, Places> at;
    for (const QString& scale : {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")}) {
        at[scale] = openAndCloseAt(scale, folder, &failure);
        ASSERT_TRUE(failure.isEmpty()) << scale.toStdString() << ": " << failure.toStdString();
        EXPECT_EQ(at[scale].share.size(), 5) << scale.toStdString();
        EXPECT_TRUE(at[scale].allDrawn) << scale.toStdString();
        const QMap<QString, QByteArray> after = filesUnder(folder);
        EXPECT_EQ(after.keys(), files.keys());
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            EXPECT_EQ(after.value(it.key()), it.value())
                << it.key().toStdString() << " changed at scale " << scale.toStdString();
    }
    for (const QString& scale : {QStringLiteral("1.5"), QStringLiteral("2")}) {
        for (auto it = at["1"].share.cbegin(); it != at["1"].share.cend(); ++it) {
            const QPointF there = at[scale].share.value(it.key());
            // Within the rounding of each to whole pixels of the plan as drawn.
            EXPECT_NEAR(there.x(), it.value().x(), 2.0 / at[scale].plan.width())
                << it.key().toStdString() << " at scale " << scale.toStdString();
            EXPECT_NEAR(there.y(), it.value().y(), 2.0 / at[scale].plan.height())
                << it.key().toStdString() << " at scale " << scale.toStdString();
        }
    }
}
