#include "app/Main.h"
#include "app/QueueListRules.h"
#include "controls/EzRgnBtn.h"
#include "model/QueueModel.h"
#include "platform/DesktopNotifier.h"
#include "platform/Prompt.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QMessageBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

// The desktop's notification service as a stand-in on a private bus: records
// what it is asked to show.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList bodies;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& body, const QStringList&,
                const QVariantMap&, int)
    {
        bodies << body;
        return uint(bodies.size());
    }
};

namespace {

constexpr int Patience = 60000;

// A session bus of the test's own, ended with it.
class PrivateBus
{
public:
    PrivateBus()
    {
        m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
        m_daemon.setStandardErrorFile(QProcess::nullDevice());
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (m_daemon.waitForStarted(Patience) && QTest::qWaitFor([&] { return m_daemon.canReadLine(); }, Patience))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : m_names)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

    // A new connection to this bus under the given name.
    QDBusConnection connect(const QString& name)
    {
        m_names << name;
        return QDBusConnection::connectToBus(m_address, name);
    }
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

class RunEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(src);
        QDir().mkpath(out);
        frm.session().settings().WorkDir = out;
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon is needed";
        QDBusConnection service = bus.connect(QStringLiteral("notification-service"));
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
        ASSERT_TRUE(bus.connect(QStringLiteral("window")).isConnected());
        frm.setNotifier(MakeDesktopNotifier(QStringLiteral("window")));
    }

    QString flv(const QString& name)
    {
        const QString path = src + QLatin1Char('/') + name;
        MakeFlv(path);
        return path;
    }

    // ffmpeg made slow to start, so that the run is still busy when paths arrive.
    QString slowFfmpeg()
    {
        const QString path = home.root() + QStringLiteral("/slow-ffmpeg");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral("#!/bin/sh\nsleep 1\nexec \"%1\" \"$@\"\n").arg(frm.session().tools().FfmpegExe).toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    bool runEnds()
    {
        return QTest::qWaitFor([&] { return ended > 0; }, Patience);
    }

    FreshHome home;
    Prompt::Script prompts;
    QString src = home.root() + QStringLiteral("/src");
    QString out = home.root() + QStringLiteral("/out");
    TfrmMain frm;
    FakeNotifications notifications;
    PrivateBus bus;
    int ended = 0;
};

TEST_F(RunEnd, BusyLookPathsQueuedDuringTheRunAndTheNoticeAtItsEnd)
{
    frm.queue().append(flv(QStringLiteral("one.flv")), 2);
    frm.queue().append(src + QStringLiteral("/gone.flv"), 2); // ffmpeg fails on it
    const QString late = flv(QStringLiteral("late.flv"));
    frm.session().tools().FfmpegExe = slowFfmpeg();
    QObject::connect(&frm.conversion(), &ConversionRun::runEnded, [&] { ++ended; });

    frm.EzRgnBtn3Click();
    ASSERT_TRUE(frm.session().busy());
    // Every button that does nothing now looks so; the conversion buttons dimmed from their own pictures.
    for (QPushButton* b : {frm.Button1, frm.Button2, frm.Button3})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    for (TEzRgnBtn* b : {frm.EzRgnBtn3, frm.EzRgnBtn4}) {
        EXPECT_TRUE(b->Disabled());
        EXPECT_EQ(b->CurrentPicture(), DimmedPicture(b->PicIdle()));
    }
    EXPECT_TRUE(frm.EzRgnBtn1->Enabled() && frm.EzRgnBtn2->Enabled()) << "minimise and close still act";

    frm.OpenPaths({late});
    ASSERT_TRUE(runEnds());
    EXPECT_EQ(ended, 1) << "the run went on to the late file instead of ending";
    ASSERT_EQ(frm.queue().count(), 3);
    EXPECT_EQ(frm.queue().progress(0), QStringLiteral("Done"));
    EXPECT_EQ(frm.queue().progress(1), QStringLiteral("Failed"));
    EXPECT_EQ(frm.queue().progress(2), QStringLiteral("Done"));
    for (QPushButton* b : {frm.Button1, frm.Button2, frm.Button3})
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    for (TEzRgnBtn* b : {frm.EzRgnBtn3, frm.EzRgnBtn4})
        EXPECT_EQ(b->CurrentPicture(), b->PicIdle());

    // The window was never shown, so not active: the desktop is told.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.bodies.isEmpty(); }, Patience));
    EXPECT_EQ(notifications.bodies, QStringList{QStringLiteral("2 files converted, 1 failed.")});
    EXPECT_TRUE(prompts.shown().empty());
}

// A row stopped and tried again is one file, counted by how it ended last.
TEST_F(RunEnd, TheNoticeCountsEachFileOnceByItsLastState)
{
    frm.queue().append(flv(QStringLiteral("one.flv")), 2);
    frm.queue().append(flv(QStringLiteral("two.flv")), 2);
    frm.session().tools().FfmpegExe = slowFfmpeg();
    frm.session().settings().Jobs = 1;
    QObject::connect(&frm.conversion(), &ConversionRun::runEnded, [&] { ++ended; });

    frm.EzRgnBtn3Click();
    ASSERT_TRUE(frm.conversion().Stop(0));
    ASSERT_EQ(frm.queue().progress(0), QStringLiteral("Failed"));
    frm.ListView1RowAction(RowAction::TryAgain, 0);
    ASSERT_TRUE(runEnds());
    EXPECT_EQ(frm.queue().progress(0), QStringLiteral("Done"));
    EXPECT_EQ(frm.queue().progress(1), QStringLiteral("Done"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.bodies.isEmpty(); }, Patience));
    EXPECT_EQ(notifications.bodies, QStringList{QStringLiteral("2 files converted, 0 failed.")});

    // Stopped with Escape and its question answered: the user was at the window.
    notifications.bodies.clear();
    ended = 0;
    frm.session().settings().Jobs = 2;
    frm.queue().append(flv(QStringLiteral("three.flv")), 2);
    frm.queue().append(flv(QStringLiteral("four.flv")), 2);
    prompts.answerQuestion(true);
    frm.EzRgnBtn3Click();
    frm.StopConversions();
    ASSERT_TRUE(runEnds());
    EXPECT_EQ(frm.queue().progress(2), QStringLiteral("Failed"));
    QTest::qWait(200);
    EXPECT_TRUE(notifications.bodies.isEmpty()) << notifications.bodies.join('|').toStdString();
}

TEST_F(RunEnd, NoNoticeWhileTheWindowIsActiveOrWithoutABus)
{
    struct Case
    {
        const char* what;
        bool active;
        bool busThere;
        bool boxInFront = false; // one of the program's own boxes is the active window
    };
    const Case cases[] = {
        {"the window is active", true, true},
        {"its own message box is active", true, true, true},
        {"no session bus", false, false},
    };
    QObject::connect(&frm.conversion(), &ConversionRun::runEnded, [&] { ++ended; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel"), QStringLiteral("a question"), QMessageBox::Ok,
                        &frm);
        if (c.active) {
            frm.show();
            frm.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
            if (c.boxInFront) {
                box.show();
                box.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
            }
        } else {
            frm.hide();
        }
        if (!c.busThere) {
            // A named connection to a bus that is not there stays unconnected.
            QDBusConnection::connectToBus(QStringLiteral("unix:path=") + home.root() + QStringLiteral("/no-bus"),
                                          QStringLiteral("nowhere"));
            frm.setNotifier(MakeDesktopNotifier(QStringLiteral("nowhere")));
        }
        ended = 0;
        frm.queue().append(flv(QStringLiteral("%1.flv").arg(frm.queue().count())), 2);
        frm.EzRgnBtn4Click();
        ASSERT_TRUE(runEnds());
        EXPECT_EQ(frm.queue().progress(frm.queue().count() - 1), QStringLiteral("Done"));
        // A notice sent would have arrived by the time a probe message round-trips.
        QDBusConnection probe(QStringLiteral("window"));
        probe.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                  QStringLiteral("/org/freedesktop/DBus"),
                                                  QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
        QTest::qWait(50);
        EXPECT_TRUE(notifications.bodies.isEmpty());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace

#include "RunEndTest.moc"
