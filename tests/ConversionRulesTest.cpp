#include "engine/ConversionProfile.h"
#include "engine/FfmpegReport.h"
#include "engine/ProgressMonitor.h"
#include "model/QueueModel.h"
#include "platform/ChildProcess.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QFile>

#include <csignal>
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

// What a user reads of a failed ffmpeg: plain words for ffmpeg's jargon, its
// own line kept behind them, and the file never named by the reason itself.
TEST(FfmpegReport, ReasonsInPlainWordsWithFfmpegsLineBehind)
{
    const struct
    {
        const char* name;
        int exitCode;
        const char* errorOutput;
        const char* reason;
        const char* said;
    } cases[] = {
        {"no codec parameters outrank an earlier complaint", 1,
         "[flv @ 0x56011b1168c0] Missing AMF_END_OF_OBJECT in AMF_DATA_TYPE_MIXEDARRAY, found 0\n"
         "[flv @ 0x56011b1168c0] Unable to seek to the next packet\n/dev/fd/3: could not find codec parameters\n",
         "ffmpeg finds no playable stream in it", "/dev/fd/3: could not find codec parameters"},
        {"a file ffmpeg cannot open", 1, "/dev/fd/3: Invalid data found when processing input\n",
         "ffmpeg cannot read it: it is damaged or not a video", "/dev/fd/3: Invalid data found when processing input"},
        {"a bad frame is skipped, not the cause", 1,
         "Error while decoding stream #0:0: Invalid data found when processing input\n"
         "[avi @ 0x5601] /out/a.avi: No space left on device\nConversion failed!\n",
         "[avi] /out/a.avi: No space left on device", ""},
        {"no stream to write", 1, "Output file #0 does not contain any stream\n",
         "ffmpeg finds no playable stream in it", "Output file #0 does not contain any stream"},
        {"a codec ffmpeg lacks", 1, "Decoder (codec none) not found for input stream #0:0\n",
         "ffmpeg cannot decode its picture or sound", "Decoder (codec none) not found for input stream #0:0"},
        {"a warning said last names no cause", 1,
         "Input #0, flv, from '/dev/fd/3':\n  Duration: 00:00:08.00\n[nut @ 0x55d0c1e0] Thread message queue "
         "blocking; consider raising the thread_queue_size option (current value: 8)\n",
         "ffmpeg ended with exit code 1 without naming a cause",
         "[nut] Thread message queue blocking; consider raising the thread_queue_size option (current value: 8)"},
        {"a signal ffmpeg caught and ended on", 255,
         "[nut @ 0x55d0c1e0] Thread message queue blocking\nExiting normally, received signal 15.\n",
         "ffmpeg was ended by signal 15 (SIGTERM)", ""},
        {"an error line that says what it means stays as it is", 1,
         "[libxvid @ 0x55d0c1e0] Invalid pixel aspect ratio 0/1\nConversion failed!\n",
         "[libxvid] Invalid pixel aspect ratio 0/1", ""},
        {"nothing said", 187, "", "ffmpeg ended with exit code 187", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChildEnd end;
        end.kind = ChildEnd::Kind::Exited;
        end.exitCode = c.exitCode;
        end.errorOutput = QString::fromUtf8(c.errorOutput);
        const FfmpegReport::Failure failure = FfmpegReport::Reason(end, QStringLiteral("/usr/bin/ffmpeg"));
        EXPECT_EQ(failure.reason.toStdString(), c.reason);
        EXPECT_EQ(failure.said.toStdString(), c.said);
        // The window's cell shows the first line of the detail, its tooltip all of it.
        const QString detail = FfmpegReport::Detail(failure, QStringLiteral("last\nlines"));
        EXPECT_EQ(detail.section('\n', 0, 0), failure.reason);
        EXPECT_EQ(FfmpegReport::SaidIn(detail), failure.said);
        EXPECT_TRUE(detail.endsWith(QLatin1String("\nlast\nlines")));
    }
    ChildEnd killed;
    killed.kind = ChildEnd::Kind::Crashed;
    killed.signal = SIGKILL;
    EXPECT_EQ(FfmpegReport::Reason(killed, {}).reason.toStdString(), "ffmpeg was ended by signal 9 (SIGKILL)");
}

} // namespace
