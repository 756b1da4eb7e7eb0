#include "engine/OutputCheck.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What the in-process read does when the file is not there, the library
// hangs on it, or no descriptor is left to open it: the verdict says so, a
// hang ends in time, and a shortage leaves the file waiting, never refused.
TEST(OutputCheckTest, ReadsThatCannotAnswerAtOnce)
{
    FreshHome home;
    const QString clip = home.root() + QStringLiteral("/clip.flv");
    MakeFlv(clip, 1.0);
    const QString avi = home.root() + QStringLiteral("/clip.avi");
    ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"), {"-nostdin", "-loglevel", "error", "-i", clip, avi}), 0);
    // A FIFO no one writes: opening it waits for ever, as a hung read would.
    const QString fifo = home.root() + QStringLiteral("/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Check
    {
        explicit Check(int answerMs = 30000) : check(nullptr, answerMs) { }
        OutputCheck check;
        QSignalSpy spy{&check, &OutputCheck::judged};
        QString text(int index = 0) const { return spy.at(index).at(0).value<OutputCheck::Result>().text; }
    };
    Check whole, missing, hung(1000), stopped(1000);
    whole.check.start(avi, 1000);
    missing.check.start(home.root() + "/none.avi", 1000);
    hung.check.start(fifo, 1000);
    stopped.check.start(fifo, 1000);
    stopped.check.stop();
    for (Check* c : {&whole, &missing, &hung})
        ASSERT_TRUE(c->spy.count() > 0 || c->spy.wait(30000));
    EXPECT_EQ(whole.text(), "");
    EXPECT_EQ(missing.text(),
              "The output could not be checked: " + home.root() + "/none.avi: No such file or directory");
    EXPECT_EQ(hung.text(), "The output could not be checked: mediainfo's library gave no answer in 1 s");

    // The abandoned reads come free and answer late: no one hears them.
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0) << "the abandoned reads wait on the FIFO";
    ::close(writer);
    QTest::qWait(1000);
    EXPECT_EQ(hung.spy.count(), 1);
    EXPECT_EQ(stopped.spy.count(), 0);

    // No descriptor left: the check waits, and judges once one frees up.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> held;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        held.push_back(fd);
    OutputCheck starved;
    QSignalSpy starvedSpy(&starved, &OutputCheck::judged);
    starved.start(avi, 1000);
    EXPECT_FALSE(starvedSpy.wait(2500)) << "judged with no descriptor to read by";
    for (const int fd : held)
        ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    ASSERT_TRUE(starvedSpy.wait(30000));
    EXPECT_EQ(starvedSpy.at(0).at(0).value<OutputCheck::Result>().verdict, OutputCheck::Verdict::Good);
}
