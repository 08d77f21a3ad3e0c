// The alarm check with a host that tells which objects are hatched (as the
// main window does) looks at few rows, and does exactly what the pass over
// every row does.
#include "AlarmFixture.h"

#include <QRandomGenerator>

namespace {

// Tells the hatched objects, as the main window does.
class TellingHost : public RecordingHost {
public:
    using RecordingHost::RecordingHost;
    std::optional<QSet<QString>> hatchedObjectNames() const override { return hatched; }
};

// One alarm window on its own doubles.
struct Side {
    explicit Side(bool telling)
        : host(telling ? std::make_unique<TellingHost>(fake.clock)
                       : std::make_unique<RecordingHost>(fake.clock)),
          window(std::make_unique<TfAlarmSettings>(*host, fake.platform))
    {
        window->Timer1->stop();
        window->StopThreadTimer();
    }
    QStringList blinks() const { return host->calls.filter(QStringLiteral("blink ")); }

    FakePlatform fake;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<TfAlarmSettings> window;
};

AlarmRow alarm(const QString& name, const QString& time, const QString& duration = "1",
               const QString& unit = "Hours", bool enabled = true, const QString& sound = "Off",
               const QString& active = "False")
{
    return {enabled, name, time, duration, unit, sound, active};
}

} // namespace

TEST(AlarmCheckIndexTest, IdleRowsOfSolidObjectsAreLeftAloneAndTheRestIsAsInAFullPass)
{
    Side side(true);
    side.fake.clock.current = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 1));
    side.window->appendRow(alarm("Before", "11.12.2026 10:00:00"));
    side.window->appendRow(alarm("Loud", "10.12.2026 10:00:00", "1", "Hours", true, "On"));
    side.window->appendRow(alarm("Loud", "11.12.2026 10:00:00"));
    side.window->appendRow(
        alarm("Stale", "11.12.2026 10:00:00", "1", "Hours", true, "Off", "True"));
    side.window->appendRow(alarm("Hatched", "11.12.2026 10:00:00"));
    side.host->hatched.insert("Hatched"); // say, stored so in the board file
    side.window->CheckAlarms();
    // "Before" is idle and solid: nothing to clear. The second "Loud" row
    // returns its object to solid after the first hatched it, as in every pass.
    EXPECT_EQ(side.host->calls,
              (QStringList{"blink Loud", "clear Loud", "clear Stale", "clear Hatched"}));
    EXPECT_EQ(side.fake.sound.tones.size(), 1);
    EXPECT_EQ(side.window->row(1).active, "True");
    EXPECT_EQ(side.window->row(3).active, "False");
    EXPECT_TRUE(side.host->hatched.isEmpty());

    side.host->calls.clear();
    side.fake.clock.current = side.fake.clock.current.addSecs(1);
    side.window->CheckAlarms();
    EXPECT_EQ(side.host->calls, (QStringList{"blink Loud", "clear Loud"}));
}

TEST(AlarmCheckIndexTest, WhateverTheRowsAndTheClockDoTheCheckEndsAsAFullPassDoes)
{
    QRandomGenerator random(77);
    // Enough names and short enough periods that most rows are idle at most
    // checks, and some objects flash.
    QStringList names;
    for (int i = 0; i < 16; ++i)
        names.append(QString(QChar(u'A' + i)));
    const QStringList units = {"Seconds", "Minutes", "Minutes", "Hours", "other"};
    const QDateTime base(QDate(2026, 12, 10), QTime(10, 0));
    const auto randomRow = [&] {
        return alarm(names[random.bounded(names.size())],
                     base.addSecs(random.bounded(-3600, 3600)).toString("dd.MM.yyyy HH:mm:ss"),
                     random.bounded(8) == 0 ? "x" : QString::number(random.bounded(0, 40)),
                     units[random.bounded(units.size())], random.bounded(4) != 0,
                     random.bounded(12) == 0 ? "On" : "Off",
                     random.bounded(4) == 0 ? "True" : "False");
    };

    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        Side full(false);
        Side indexed(true);
        Side* sides[] = {&full, &indexed};
        const auto both = [&](const std::function<void(Side&)>& act) {
            for (Side* side : sides)
                act(*side);
        };
        const bool slowBlinks = round % 2 == 1; // the second turns during some passes
        both([&](Side& side) {
            side.fake.clock.current = base;
            if (slowBlinks)
                side.host->advanceOnBlink = [&side] {
                    side.fake.clock.current = side.fake.clock.current.addMSecs(300);
                    side.fake.clock.elapsed += 300;
                };
        });
        for (int i = 0; i < 80; ++i) {
            const AlarmRow row = randomRow();
            both([&](Side& side) { side.window->appendRow(row); });
        }
        qsizetype fullCalls = 0;
        qsizetype indexedCalls = 0;
        for (int step = 0; step < 150; ++step) {
            SCOPED_TRACE(step);
            const int kind = random.bounded(25);
            const qint64 ms = kind == 0
                                  ? random.bounded(-900'000, 900'000)
                                  : (kind == 1 ? -random.bounded(2500) : 1000 + random.bounded(50));
            const int change = random.bounded(10);
            const int count = full.window->rowCount();
            const int at = count ? random.bounded(count) : 0;
            const AlarmRow row = randomRow();
            const QString hatch =
                random.bounded(6) == 0 ? names[random.bounded(names.size())] : QString();
            both([&](Side& side) {
                side.fake.clock.current = side.fake.clock.current.addMSecs(ms);
                side.fake.clock.elapsed += 1000;
                AlarmListModel& model = side.window->listModel();
                if (change == 0)
                    side.window->appendRow(row);
                else if (change == 1 && count)
                    model.remove(at);
                else if (change == 2 && count)
                    model.replace(at, row);
                else if (change == 3 && count)
                    model.setData(model.index(at, TfAlarmSettings::CheckColumn),
                                  side.window->row(at).enabled ? Qt::Unchecked : Qt::Checked,
                                  Qt::CheckStateRole);
                else if (change == 4 && count)
                    model.setData(model.index(at, TfAlarmSettings::ActiveColumn), "True");
                if (!hatch.isEmpty())
                    side.host->hatched.insert(hatch);
                side.host->calls.clear();
                side.window->CheckAlarms();
            });
            ASSERT_EQ(indexed.window->rows(), full.window->rows());
            ASSERT_EQ(indexed.host->hatched, full.host->hatched);
            ASSERT_EQ(indexed.blinks(), full.blinks());
            ASSERT_EQ(indexed.fake.sound.tones.size(), full.fake.sound.tones.size());
            ASSERT_EQ(indexed.fake.clock.current, full.fake.clock.current);
            // The clears left out are those that found their object solid.
            ASSERT_LE(indexed.host->calls.size(), full.host->calls.size());
            fullCalls += full.host->calls.size();
            indexedCalls += indexed.host->calls.size();
        }
        EXPECT_LT(indexedCalls, fullCalls) << "idle rows of solid objects are left alone";
    }
}
