#include "engine/RunSchedule.h"
#include "engine/ConversionProfile.h"
#include "engine/ProgressMonitor.h"
#include "model/QueueModel.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QFile>

#include <optional>

#include <gtest/gtest.h>

namespace {

using ConversionProfiles::TargetFileFor;

struct TargetCase
{
    const char* name;
    const char* source;
    const char* workDir;
    const char* target;
};

class TargetFile : public ::testing::TestWithParam<TargetCase>
{
};

TEST_P(TargetFile, IsFormedFromTheSourceName)
{
    const TargetCase& c = GetParam();
    EXPECT_EQ(TargetFileFor(QString::fromUtf8(c.source), QString::fromUtf8(c.workDir)), QString::fromUtf8(c.target));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TargetFile,
    ::testing::Values(TargetCase{"OnlyTheLastExtension", "/clips/my.video.flv", "/out", "/out/my.video.avi"},
                      TargetCase{"NoExtension", "/clips/clip", "/out", "/out/clip.avi"},
                      TargetCase{"DotInAFolderOnly", "/cl.ips/clip", "/out", "/out/clip.avi"},
                      TargetCase{"WorkDirEndingInSlash", "/clips/clip.flv", "/out/", "/out//clip.avi"},
                      TargetCase{"BlanksAndControlsTrimmed", "/clips/clip.flv\n", " \t/out", "/out/clip.avi"},
                      TargetCase{"InnerBlanksKept", "/clips/a b .flv", "/my out", "/my out/a b .avi"},
                      TargetCase{"NameThatIsAllExtension", "/clips/.flv", "/out", "/out/.avi"}),
    [](const auto& info) { return std::string(info.param.name); });

// Only files that cost about an ffmpeg's start to convert share one, and a
// group stays within one 1080p frame's pixels, its budget and its count.
TEST(RunSchedule, OnlyCheapFilesShareAndGroupsStayWithinBounds)
{
    const qint64 qvga = 320 * 240, hd = 1920 * 1080;
    const struct
    {
        const char* name;
        RunSchedule::Group group;
        qint64 lengthMs, pixels, budgetMs;
        bool mayShare, joins;
    } cases[] = {
        {"1.6 s of 320x240", {1, 1600, qvga}, 1600, qvga, 60000, true, true},
        {"11 s of 320x240", {1, 1600, qvga}, 11000, qvga, 60000, true, true},
        {"13 s of 320x240 costs more than a start", {1, 1600, qvga}, 13000, qvga, 60000, false, false},
        {"2 s of 1080p", {0, 0, 0}, 2000, hd, 60000, false, false},
        {"0.4 s of 1080p alone", {0, 0, 0}, 400, hd, 60000, true, true},
        {"0.4 s of 1080p beside another", {1, 400, hd}, 400, hd, 60000, true, false},
        {"no frame size known", {1, 1600, qvga}, 1600, -1, 60000, false, false},
        {"sound only", {1, 1600, qvga}, 20000, 0, 60000, true, true},
        {"no length", {1, 1600, qvga}, 0, qvga, 60000, false, false},
        {"past the budget", {3, 4800, 3 * qvga}, 1600, qvga, 6000, true, false},
        {"the ninth file", {8, 12800, 8 * qvga}, 1600, qvga, 60000, true, false},
        {"30 s of 64x48", {1, 1600, qvga}, 30000, 64 * 48, 60000, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunSchedule::MayShare(c.lengthMs, c.pixels), c.mayShare);
        EXPECT_EQ(RunSchedule::Joins(c.group, c.lengthMs, c.pixels, c.budgetMs), c.joins);
    }
    // A share of what is left for each place, so the last groups shrink; one place shares nothing.
    EXPECT_EQ(RunSchedule::ShareBudgetMs(200 * 1600, 2), 60000);
    EXPECT_EQ(RunSchedule::ShareBudgetMs(10 * 1600, 2), 8000);
    EXPECT_EQ(RunSchedule::ShareBudgetMs(10 * 1600, 1), 0);
}

TEST(ProgressText, ShareOfTheDurationTruncatedAndBelowDone)
{
    constexpr qint64 second = 1000000;
    const struct
    {
        qint64 processedUs;
        qint64 seconds;
        std::optional<int> percent;
    } cases[] = {
        {0, 61, 0},
        {second * 61 / 100 - 1, 61, 0}, // just short of 1%: truncated
        {second * 61 / 100, 61, 1},
        {second * 30, 61, 49},
        {second * 61, 61, 99},               // all of it: "Done" belongs to the end alone
        {second * 95, 61, 99},               // a noisy source runs past its probed length
        {-second, 61, 0},                    // ffmpeg's start before zero
        {second * 3600 * 30, 3600 * 31, 96}, // long sources do not wrap
        {INT64_MAX, 1, 99},
        {second, 0, std::nullopt}, // no duration to divide by
        {second, -4, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressMonitor::Percent(c.processedUs, c.seconds), c.percent)
            << c.processedUs << " of " << c.seconds;
}

TEST(ProgressMonitor, CountsOnlyWholeReports)
{
    ProgressMonitor monitor;
    EXPECT_FALSE(monitor.Percent(20));
    // A report split anywhere, even inside a line, and "N/A" before ffmpeg knows.
    monitor.Feed("frame=0\nout_time_us=N/A\nprogress=continue\nframe=1");
    EXPECT_FALSE(monitor.Percent(20)) << "a report without a time is no report";
    monitor.Feed("2\ntotal_size=4096\nout_time_us=500");
    EXPECT_FALSE(monitor.Percent(20)) << "a report counts when its last line has come";
    monitor.Feed("0000\nout_time=00:00:05.000000\nprogress=continue\n");
    EXPECT_EQ(monitor.Percent(20), 25);
    EXPECT_EQ(monitor.totalSize(), 4096);
    EXPECT_FALSE(monitor.ended());
    // A time that goes back (a second stream's clock) does not lower the share.
    monitor.Feed("out_time_us=1000000\nprogress=continue\r\n");
    EXPECT_EQ(monitor.Percent(20), 25);
    // A report cut short by a pipe closed early changes nothing.
    monitor.Feed("out_time_us=19000000\nframe=");
    EXPECT_EQ(monitor.Percent(20), 25);
    EXPECT_FALSE(monitor.Percent(0));
    // Noise that is no report at all is dropped without growing.
    monitor.Feed(QByteArray(100000, 'x'));
    monitor.Feed("\nout_time_us=20000000\nprogress=end\n");
    EXPECT_EQ(monitor.Percent(20), 99);
    EXPECT_TRUE(monitor.ended());
}

} // namespace
