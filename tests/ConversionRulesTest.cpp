#include "engine/RunSchedule.h"
#include "engine/ConversionOutcome.h"
#include "engine/ConversionProfile.h"
#include "engine/FfmpegProcess.h"
#include "engine/FfmpegReport.h"
#include "engine/OutputNaming.h"
#include "engine/ProgressMonitor.h"
#include "model/QueueModel.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
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
    EXPECT_EQ(TargetFileFor(NativePath::Decode(c.source), QString::fromUtf8(c.workDir)), QString::fromUtf8(c.target));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TargetFile,
    ::testing::Values(TargetCase{"OnlyTheLastExtension", "/clips/my.video.flv", "/out", "/out/my.video.avi"},
                      TargetCase{"NoExtension", "/clips/clip", "/out", "/out/clip.avi"},
                      TargetCase{"DotInAFolderOnly", "/cl.ips/clip", "/out", "/out/clip.avi"},
                      TargetCase{"WorkDirEndingInSlash", "/clips/clip.flv", "/out/", "/out//clip.avi"},
                      TargetCase{"BlanksAndControlsTrimmed", "/clips/clip.flv\n", " \t/out", "/out/clip.avi"},
                      TargetCase{"InnerBlanksKept", "/clips/a b .flv", "/my out", "/my out/a b .avi"},
                      TargetCase{"NameThatIsAllExtension", "/clips/.flv", "/out", "/out/.avi"},
                      TargetCase{"ControlsInsideMadeUnderscores", "/clips/esc\x1B[31m\tcr\r\x7F\xC2\x9B\n.flv", "/out",
                                 "/out/esc_[31m_cr____.avi"},
                      TargetCase{"StrayBytesReadAsLatin1UTF8Kept", "/clips/\xE8\xA7\x86\xE9\xA2\x91\xE9mix.flv", "/out",
                                 "/out/\xE8\xA7\x86\xE9\xA2\x91\xC3\xA9mix.avi"},
                      TargetCase{"StrayC1ByteMadeUnderscore", "/clips/it\x92s.flv", "/out", "/out/it_s.avi"}),
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

// The n-th name of a target, cut to the folder's longest name in bytes,
// " (n)" and ".avi" included, never inside a character the reader sees as one.
TEST(NumberedOutput, FitsTheFolderBetweenWholeCharacters)
{
    const QString a251(251, 'a');
    const QString e126 = QString(126, QChar(0xE9));          // two bytes each
    const QString accents = QString("e\u0301").repeated(84); // a letter and its mark: three bytes
    const QString family = QString("x").repeated(240) + "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // 18 bytes
    const struct
    {
        const char* what;
        QString target;
        int n;
        int nameMax;
        QString name;
    } cases[] = {
        {"a name that fits is itself", "/out/clip.avi", 1, 255, "/out/clip.avi"},
        {"the n-th name", "/out/clip.avi", 3, 255, "/out/clip (3).avi"},
        {"full length, first name", "/out/" + a251 + ".avi", 1, 255, "/out/" + a251 + ".avi"},
        {"full length, second name cut to fit", "/out/" + a251 + ".avi", 2, 255, "/out/" + a251.left(247) + " (2).avi"},
        {"a longer number takes more", "/out/" + a251 + ".avi", 10, 255, "/out/" + a251.left(246) + " (10).avi"},
        {"two-byte characters stay whole", "/out/" + e126 + ".avi", 1, 255, "/out/" + e126.left(125) + ".avi"},
        {"a mark stays with its letter", "/out/" + accents + ".avi", 1, 255, "/out/" + accents.left(83 * 2) + ".avi"},
        {"an emoji family goes whole", "/out/" + family + ".avi", 1, 255, "/out/" + family.left(240) + ".avi"},
        {"the folder's own limit", "/out/a long name.avi", 3, 14, "/out/a long (3).avi"},
    };
    for (const auto& c : cases) {
        const QString name = OutputNaming::NumberedOutput(c.target, c.n, c.nameMax);
        EXPECT_EQ(name, c.name) << c.what;
        EXPECT_LE(name.mid(5).toUtf8().size(), c.nameMax) << c.what;
    }
}

// A name shown where a control character would act: on a terminal (each
// escape a byte of the name) and in the window (Latin-1 letters for stray bytes).
TEST(NameText, NoControlReachesTheScreen)
{
    const struct
    {
        QByteArray bytes;
        QString escaped;
        QString readable;
        QString latin1;
    } cases[] = {
        {"plain \xC3\xA9t\xC3\xA9.flv", "plain \u00e9t\u00e9.flv", "plain \u00e9t\u00e9.flv",
         "plain \u00e9t\u00e9.flv"},
        {"a\\b\tc\nd", "a\\\\b\\tc\\nd", "a\\b\\tc\\nd", "a\\b\tc\nd"},
        {"esc\x1B[31mred", "esc\\x1B[31mred", "esc\\x1B[31mred", "esc\x1B[31mred"},
        {"title\x1B]0;X\x07", "title\\x1B]0;X\\x07", "title\\x1B]0;X\\x07", "title\x1B]0;X\x07"},
        {"cr\rhere\x7F", "cr\\rhere\\x7F", "cr\\rhere\\x7F", "cr\rhere\x7F"},
        {"csi\xC2\x9B", "csi\\xC2\\x9B", "csi\\xC2\\x9B", "csi\u009B"},
        {"caf\xE9", "caf\\xE9", "caf\u00e9", "caf\u00e9"},
        {"stray\x9B", "stray\\x9B", "stray\\x9B", "stray\u009B"},
        {"\xE8\xA7\x86\xE9\xA2\x91\xE9mix", "\u89c6\u9891\\xE9mix", "\u89c6\u9891\u00e9mix", "\u89c6\u9891\u00e9mix"},
    };
    for (const auto& c : cases) {
        const QString name = NativePath::Decode(c.bytes);
        EXPECT_EQ(NativePath::Escaped(name), c.escaped) << c.bytes.toStdString();
        EXPECT_EQ(NativePath::Readable(name), c.readable) << c.bytes.toStdString();
        EXPECT_EQ(NativePath::AsLatin1(name), c.latin1) << c.bytes.toStdString();
    }
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

// How an ffmpeg's end is told: the decisions above it (wait for a place,
// convert again alone, fail) rest on its kind alone.
TEST(FfmpegEnd, EachEndHasOneKind)
{
    const auto exited = [](int code, const char* errorOutput) {
        ChildEnd end;
        end.kind = ChildEnd::Kind::Exited;
        end.exitCode = code;
        end.errorOutput = QString::fromUtf8(errorOutput);
        return end;
    };
    const auto notStarted = [](int code) {
        ChildEnd end;
        end.startError = code;
        return end;
    };
    ChildEnd broken;
    broken.kind = ChildEnd::Kind::Crashed;
    broken.signal = SIGPIPE;
    const QString program = BinPath(QStringLiteral("processtestapp"));
    using Kind = FfmpegEnd::Kind;
    const struct
    {
        const char* name;
        ChildEnd end;
        QString program;
        bool hung, stopped;
        Kind kind;
        const char* reason; // its first words
        bool readerGone;
    } cases[] = {
        {"ended well", exited(0, ""), program, false, false, Kind::Succeeded, "", false},
        {"ended well but the disk filled", exited(0, "[avi @ 0x1] Error writing trailer: No space left on device\n"),
         program, false, false, Kind::Exited, "[avi] Error writing trailer", false},
        {"an exit code", exited(1, "Conversion failed!\n"), program, false, false, Kind::Exited, "ffmpeg ended with",
         false},
        {"killed",
         [] {
             ChildEnd end;
             end.kind = ChildEnd::Kind::Crashed;
             end.signal = SIGKILL;
             return end;
         }(),
         program, false, false, Kind::Signalled, "ffmpeg was ended by signal 9", false},
        {"nobody reads what it writes", broken, program, false, false, Kind::Signalled, "ffmpeg was ended", true},
        {"too many open files", notStarted(EMFILE), program, false, false, Kind::Short, "", false},
        {"too many processes", notStarted(EAGAIN), program, false, false, Kind::Short, "", false},
        {"no program", notStarted(ENOENT), QStringLiteral("/nonexistent/ffmpeg"), false, false, Kind::Missing, "",
         false},
        {"not runnable", notStarted(EACCES), program, false, false, Kind::NotRunnable, "", false},
        {"hung, then killed", broken, program, true, false, Kind::Hung, "ffmpeg reported no progress for 1.5 s", false},
        {"stopped, then killed", broken, program, false, true, Kind::Stopped, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FfmpegEnd end = FfmpegEnd::Of(c.end, c.program, c.hung, c.stopped, 1500);
        EXPECT_EQ(end.kind, c.kind);
        EXPECT_EQ(end.succeeded(), c.kind == Kind::Succeeded);
        EXPECT_EQ(end.failure.reason.left(static_cast<qsizetype>(std::strlen(c.reason))).toStdString(), c.reason);
        EXPECT_EQ(end.failure.reason.isEmpty(), c.kind == Kind::Succeeded);
        EXPECT_EQ(end.readerGone, c.readerGone);
    }
}

// What each outcome of a file's attempt makes of its row.
TEST(ConversionOutcome, EachOutcomeLeavesItsRow)
{
    const struct
    {
        const char* name;
        ConversionOutcome outcome;
        const char* sourceWarning;
        RowEnd row;
    } cases[] = {
        {"done", ConversionOutcome::Done(), "", {RowState::Done, "AVI", "", true, false}},
        {"done, short", ConversionOutcome::Done("plays 8 s"), "", {RowState::Done, "AVI", "plays 8 s", true, false}},
        {"done from a cut-off source",
         ConversionOutcome::Done(),
         "holds 5 s",
         {RowState::Done, "AVI", "holds 5 s", true, false}},
        {"done, short, from a cut-off source",
         ConversionOutcome::Done("plays 4 s"),
         "holds 5 s",
         {RowState::Done, "AVI", "plays 4 s\nholds 5 s", true, false}},
        {"failed",
         ConversionOutcome::Failed("why\nffmpeg's lines"),
         "holds 5 s",
         {RowState::Failed, "", "why\nffmpeg's lines", true, false}},
        {"stopped", ConversionOutcome::Stopped(), "", {RowState::Failed, "", "Stopped", true, false}},
        {"its shared ffmpeg failed", ConversionOutcome::TryAlone(), "", {RowState::Pending, "", "", false, true}},
        {"no place",
         ConversionOutcome::WaitForPlace("too many open files"),
         "",
         {RowState::Pending, "", "", false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RowEnd row = RowEndFor(c.outcome, QString::fromUtf8(c.sourceWarning));
        EXPECT_EQ(row.state, c.row.state);
        EXPECT_EQ(row.convertedFile, c.row.convertedFile);
        EXPECT_EQ(row.detail, c.row.detail);
        EXPECT_EQ(row.finished, c.row.finished);
        EXPECT_EQ(row.waitsAlone, c.row.waitsAlone);
    }
}

} // namespace
