#include "WindowsFixture.h"

#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QVariantMap>

namespace {

// A session bus of the test's own, so that no desktop's service answers.
class PrivateBus {
public:
    // The bus's address; empty, with the reason in *why, when none started.
    QString start(QString* why)
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty()) {
            *why = "no dbus-daemon on the PATH (the package dbus)";
            return {};
        }
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            *why = "cannot write " + config;
            return {};
        }
        file.write("<busconfig><type>session</type>"
                   "<listen>unix:tmpdir=" +
                   m_dir.path().toUtf8() +
                   "</listen><auth>EXTERNAL</auth>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        m_daemon.start(program, {"--config-file=" + config, "--print-address", "--nofork"});
        if (!m_daemon.waitForStarted(5000)) {
            *why = "dbus-daemon did not start: " + m_daemon.errorString();
            return {};
        }
        QElapsedTimer waited;
        waited.start();
        while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running &&
               waited.elapsed() < 10'000)
            m_daemon.waitForReadyRead(500);
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (address.isEmpty())
            *why = "dbus-daemon gave no address: " +
                   QString::fromUtf8(m_daemon.readAllStandardError());
        return address;
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000))
            m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
};

// The desktop's notification service as the test stands it up: it records
// each Notify and answers with numbers of its own.
class RecordingNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Call> calls;
    static constexpr uint FirstId = 41;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int)
    {
        calls.append({appName, replacesId, summary, body, actions, hints});
        return FirstId + uint(calls.size()) - 1;
    }
};

} // namespace

// The whole program with the real notification client on a private bus.
class DesktopNotificationTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        QString why;
        const QString address = bus.start(&why);
        if (address.isEmpty())
            GTEST_SKIP() << "no private D-Bus: " << why.toStdString();
        clientBus.emplace(QDBusConnection::connectToBus(address, QStringLiteral("vexorin-client")));
        serviceBus.emplace(
            QDBusConnection::connectToBus(address, QStringLiteral("vexorin-service")));
        ASSERT_TRUE(clientBus->isConnected()) << clientBus->lastError().message().toStdString();
        ASSERT_TRUE(serviceBus->isConnected());

        notifications = std::make_unique<DesktopNotifications>(*clientBus, QString());
        busPlatform = std::make_unique<Platform>(Platform{
            fake.dialogs, fake.desktop, fake.clock, fake.processes, fake.shell, fake.pointer,
            fake.sound, *notifications, fake.platform.programFolder, fake.platform.programFileName,
            fake.platform.settingsFolder, fake.platform.userSettingsFile});
        program.reset();
        program = std::make_unique<Program>(*busPlatform);
        form().Timer1->stop();
        form().show();
        openProject(QStringLiteral("Plant"));
        newObject(QStringLiteral("Pump 1"), QPoint(300, 300));
        newObject(QStringLiteral("Tank A"), QPoint(900, 600));
    }
    void TearDown() override
    {
        program.reset();
        notifications.reset();
        for (const char* name : {"vexorin-client", "vexorin-service"})
            QDBusConnection::disconnectFromBus(QLatin1String(name));
    }

    bool registerService()
    {
        return serviceBus->registerObject(DBusNotifications::Path, &service,
                                          QDBusConnection::ExportAllSlots) &&
               serviceBus->registerService(DBusNotifications::Service);
    }
    void emitFromService(const char* signal, uint id, const QVariant& second)
    {
        QDBusMessage message = QDBusMessage::createSignal(
            DBusNotifications::Path, DBusNotifications::Interface, QLatin1String(signal));
        message << id << second;
        ASSERT_TRUE(serviceBus->send(message));
    }

    PrivateBus bus;
    std::optional<QDBusConnection> clientBus;
    std::optional<QDBusConnection> serviceBus;
    RecordingNotificationService service;
    std::unique_ptr<DesktopNotifications> notifications;
    std::unique_ptr<Platform> busPlatform;
};

TEST_F(DesktopNotificationTest, TheServiceGetsTheAlarmAndItsShowReachesTheProgram)
{
    ASSERT_TRUE(registerService());
    TfAlarmSettings& alarms = program->alarmSettings;
    alarms.appendRow({true, "Tank A", "08.12.2026 14:30:00", "1", "Hours", "Off", "False"});
    alarms.appendRow({true, "Pump 1", "08.12.2026 14:31:00", "1", "Hours", "Off", "False"});
    setClock(QTime(14, 30, 1));
    alarms.CheckAlarms();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 1; }, 5000));
    const RecordingNotificationService::Call& call = service.calls[0];
    EXPECT_EQ(call.appName, "Vexorin");
    EXPECT_EQ(call.replacesId, 0u);
    EXPECT_EQ(call.summary, "Tank A");
    EXPECT_EQ(call.body, "14:30 to 15:30");
    EXPECT_TRUE(call.actions.contains("Show")) << call.actions.join(',').toStdString();
    EXPECT_EQ(call.actions.size() % 2, 0) << "each action's key, then its label";

    QSignalSpy shows(notifications.get(), &Notifications::showRequested);
    board().setZoom(4.0, QPoint(0, 0));
    ObjectLabel* tank = boardModel().labelWithCaption(QStringLiteral("Tank A"));
    form().CurrentLabel = boardModel().labelWithCaption(QStringLiteral("Pump 1"));
    emitFromService("ActionInvoked", RecordingNotificationService::FirstId, QStringLiteral("Show"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form().CurrentLabel == tank; }, 5000));
    EXPECT_EQ(board().highlighted(), shapeOf("Tank A")->geometry().united(tank->geometry()));

    // Another program's notification, and one of ours after the service
    // closed it, show nothing; the next alarm's "Show" shows its object.
    setClock(QTime(14, 31, 1));
    alarms.CheckAlarms();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls.size() == 2; }, 5000));
    EXPECT_EQ(service.calls[1].summary, "Pump 1");
    emitFromService("ActionInvoked", 7, QStringLiteral("Show"));
    emitFromService("NotificationClosed", RecordingNotificationService::FirstId, 2u);
    emitFromService("ActionInvoked", RecordingNotificationService::FirstId, QStringLiteral("Show"));
    emitFromService("ActionInvoked", RecordingNotificationService::FirstId + 1,
                    QStringLiteral("Show"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shows.size() == 2; }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(shows.size(), 2);
    EXPECT_EQ(shows[0][0].toString(), "Tank A");
    EXPECT_EQ(shows[1][0].toString(), "Pump 1");
    EXPECT_EQ(form().CurrentLabel->caption(), "Pump 1");
}

TEST_F(DesktopNotificationTest, WithoutAServiceTheClientSaysSoAndWithoutABusSendsNothing)
{
    DBusNotifications client(*clientBus);
    QSignalSpy failed(&client, &DBusNotifications::failed);
    ASSERT_TRUE(client.notify("Pump 1", "Pump 1", "14:30 to 15:30"));
    ASSERT_TRUE(failed.wait(10'000));
    EXPECT_EQ(failed[0], QVariantList({"Pump 1", "Pump 1", "14:30 to 15:30"}));

    DBusNotifications noBus(QDBusConnection(QStringLiteral("vexorin-never-connected")));
    EXPECT_FALSE(noBus.isConnected());
    EXPECT_FALSE(noBus.notify("Pump 1", "Pump 1", "14:30 to 15:30"));
    // The whole program goes on, nothing shown, where neither a service nor a tray is.
    TfAlarmSettings& alarms = program->alarmSettings;
    alarms.appendRow({true, "Pump 1", "08.12.2026 14:30:00", "1", "Hours", "Off", "False"});
    setClock(QTime(14, 30, 1));
    alarms.CheckAlarms();
    QTest::qWait(200);
    EXPECT_TRUE(fake.dialogs.messages.filter("Pump 1").isEmpty());
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

#include "DesktopNotificationTest.moc"
