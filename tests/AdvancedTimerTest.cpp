#include "engine/advantmr.h"
#include "platform/Prompt.h"
#include "support/QtPrinters.h"

#include <QAbstractEventDispatcher>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace {

QList<QAbstractEventDispatcher::TimerInfo> systemTimers(QObject* object)
{
    return QAbstractEventDispatcher::instance()->registeredTimers(object);
}

// A timer whose every event is written to a log, in order.
struct LoggedTimer
{
    TAdvancedTimer timer;
    QStringList log;

    explicit LoggedTimer(quint32 interval)
    {
        timer.setOnActivate([this](quint32 i) { log << QStringLiteral("activate %1").arg(i); });
        timer.setOnDeactivate([this](quint32 n) { log << QStringLiteral("deactivate %1").arg(n); });
        timer.setOnMaxIntervals([this](quint32 n) { log << QStringLiteral("max %1").arg(n); });
        timer.setInterval(interval);
    }
    void countTicks()
    {
        timer.setOnTimer([this](QObject* sender) {
            EXPECT_EQ(sender, &timer);
            log << QStringLiteral("tick %1").arg(timer.Intervals());
        });
    }
};

TEST(AdvancedTimer, DefaultsAndWhenASystemTimerRuns)
{
    TAdvancedTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_EQ(timer.Intervals(), 0);
    EXPECT_EQ(timer.MaxIntervals(), 0);
    EXPECT_TRUE(timer.StopAtMax());
    // Enabled from the start, yet nothing runs before the first restart.
    EXPECT_TRUE(systemTimers(&timer).isEmpty());

    timer.setMaxIntervals(5); // stored only
    timer.setStopAtMax(false);
    EXPECT_TRUE(systemTimers(&timer).isEmpty());

    timer.setTajmeri(7);
    ASSERT_EQ(systemTimers(&timer).size(), 1);
    EXPECT_EQ(systemTimers(&timer).first().interval, 1000);

    timer.setInterval(0); // no period, no system timer, though still enabled
    EXPECT_TRUE(systemTimers(&timer).isEmpty());
    EXPECT_TRUE(timer.Enabled());

    timer.setInterval(40);
    timer.setEnabled(false);
    EXPECT_TRUE(systemTimers(&timer).isEmpty());
}

TEST(AdvancedTimer, OnlyAChangedFreeValueBeginsANewPeriod)
{
    TAdvancedTimer timer;
    timer.setInterval(4000);
    timer.setBuddy(QStringLiteral("/out/a.avi"));
    auto remaining = [&] {
        const auto timers = systemTimers(&timer);
        return timers.size() == 1 ? QAbstractEventDispatcher::instance()->remainingTime(timers.first().timerId) : -1;
    };

    // Half a second into the period; the margins leave room for a loaded machine.
    ASSERT_TRUE(QTest::qWaitFor([&] { return remaining() < 3500; }, 5000));
    timer.setBuddy(QStringLiteral("/out/a.avi"));
    timer.setMessage(QString());
    timer.setTajmeri(0);
    timer.setInterval(4000);
    EXPECT_GE(remaining(), 0);
    EXPECT_LT(remaining(), 3500);

    timer.setBuddy(QStringLiteral("/out/A.avi")); // exact comparison: a different text
    EXPECT_GT(remaining(), 3500);
}

TEST(AdvancedTimer, StopsAtMaxIntervalsReportingTheCountBeforeClearingIt)
{
    LoggedTimer t(5);
    t.timer.setMaxIntervals(3);
    t.timer.setEnabled(false);
    t.countTicks();
    t.timer.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !t.timer.Enabled(); }, 5000));
    EXPECT_EQ(t.log,
              (QStringList{"deactivate 0", "activate 5", "tick 0", "tick 1", "tick 2", "max 3", "deactivate 3"}));
    EXPECT_EQ(t.timer.Intervals(), 0);
    EXPECT_TRUE(systemTimers(&t.timer).isEmpty());

    // Switching to the value it already has raises nothing.
    t.timer.setEnabled(false);
    EXPECT_EQ(t.log.size(), 7);
}

TEST(AdvancedTimer, WithoutStopAtMaxTheCountRunsPastTheMaximum)
{
    LoggedTimer t(5);
    t.timer.setMaxIntervals(2);
    t.timer.setStopAtMax(false);
    t.countTicks();
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.timer.Intervals() >= 5; }, 5000));
    EXPECT_TRUE(t.timer.Enabled());
    EXPECT_EQ(t.log.count(QStringLiteral("max 2")), 1);
    EXPECT_EQ(t.log.mid(0, 4), (QStringList{"tick 0", "tick 1", "max 2", "tick 2"}));
    EXPECT_FALSE(t.log.contains(QStringLiteral("deactivate 2")));
}

TEST(AdvancedTimer, FailingOnTimerSwitchesOffSilentlyOtherFailuresAreShown)
{
    Prompt::Script prompts;
    LoggedTimer t(5);
    t.timer.setOnTimer([&](QObject*) {
        t.log << QStringLiteral("tick %1").arg(t.timer.Intervals());
        if (t.timer.Intervals() == 2)
            throw std::runtime_error("no output");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !t.timer.Enabled(); }, 5000));
    // The count before the failing tick is reported, cleared, and that tick still counts.
    EXPECT_EQ(t.log, (QStringList{"tick 0", "tick 1", "tick 2", "deactivate 2"}));
    EXPECT_EQ(t.timer.Intervals(), 1);
    EXPECT_TRUE(systemTimers(&t.timer).isEmpty());
    EXPECT_TRUE(prompts.shown().empty());

    // A failing OnMaxIntervals is not the handler's error: it reaches the error box,
    // and the rest of that tick (the stop) is skipped.
    t.log.clear();
    t.timer.setOnTimer({});
    t.timer.setMaxIntervals(1);
    t.timer.setOnMaxIntervals([](quint32) { throw EOutOfResources(QStringLiteral("Max failed")); });
    t.timer.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.shown().empty(); }, 5000));
    EXPECT_EQ(prompts.texts(Prompt::Kind::Error), QStringList{"Max failed."});
    EXPECT_TRUE(t.timer.Enabled());
}

TEST(AdvancedTimer, ReleaseInsideItsOwnTickIsDeferredAndEndsTheEvents)
{
    auto* timer = new TAdvancedTimer; // released by itself
    QPointer<TAdvancedTimer> alive(timer);
    QStringList log;
    timer->setMaxIntervals(1);
    timer->setOnMaxIntervals([&](quint32) { log << QStringLiteral("max"); });
    timer->setOnDeactivate([&](quint32) { log << QStringLiteral("deactivate"); });
    timer->setInterval(5);
    timer->setOnTimer([&](QObject* sender) {
        log << QStringLiteral("tick");
        static_cast<TAdvancedTimer*>(sender)->Release();
        log << (alive ? QStringLiteral("alive") : QStringLiteral("gone"));
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 5000));
    EXPECT_EQ(log, (QStringList{"tick", "alive"}));
}

TEST(AdvancedTimer, NoSystemTimerRaisesOutOfResources)
{
    // A thread without an event loop cannot have timers.
    QString error;
    bool enabled = false;
    std::thread([&] {
        TAdvancedTimer timer;
        try {
            timer.setOnTimer([](QObject*) {});
        } catch (const EOutOfResources& e) {
            error = e.text();
        }
        enabled = timer.Enabled();
    }).join();
    EXPECT_EQ(error, "Not enough timers available");
    EXPECT_TRUE(enabled);
}

} // namespace
