#include "model/MainState.h"
#include "platform/CommandLine.h"
#include "engine/ConversionProfile.h"
#include "engine/ProgressMonitor.h"
#include "model/QueueModel.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using ConversionProfiles::FfmpegArgs;
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

TEST(FfmpegArgs, EveryPathComesBackWholeAfterSplitting)
{
    const QStringList paths{"/v/plain.flv", "/v/with space.flv", "/v/quo\"te.flv", "/v/back\\slash\\",
                            "/v/$HOME;`id`|x.flv", "/v/-dash.flv", "/v/tab\there.flv"};
    for (const QString& source : paths) {
        const QString target = TargetFileFor(source, QStringLiteral("/out dir"));
        const QStringList args = CommandLine::Split(FfmpegArgs(ConversionProfile::DivxAvi, source, target));
        const QStringList expected = QStringList{"-nostdin", "-hide_banner", "-i", source}
            + ConversionProfiles::OptionText(ConversionProfile::DivxAvi).split(' ') + QStringList{"-f", "avi", target};
        EXPECT_EQ(args, expected) << source.toStdString();
    }
    // The text keeps its familiar shape: a leading blank and quoted paths.
    EXPECT_EQ(FfmpegArgs(ConversionProfile::XvidAvi, "/v/a.flv", "/o/a.avi"),
              " -nostdin -hide_banner -i \"/v/a.flv\" -y -vf yadif -b:v 900000 -c:v libxvid -r 25"
              " -b:a 128000 -ar 44100 -ac 2 -f avi \"/o/a.avi\"");
}

TEST(ProgressText, PercentOfTheExpectedSizeTruncatedAndUncapped)
{
    const qint64 expected = 61 * 126464; // a 61-second source
    EXPECT_EQ(ProgressMonitor::Percent(0, expected), 0);
    EXPECT_EQ(ProgressMonitor::Percent(65536, expected), 0);
    EXPECT_EQ(ProgressMonitor::Percent(196608, expected), 2);
    EXPECT_EQ(ProgressMonitor::Percent(3000000, expected), 38);
    EXPECT_EQ(ProgressMonitor::Percent(7500000, expected), 97);
    EXPECT_EQ(ProgressMonitor::Percent(7714304, expected), 100);
    EXPECT_EQ(ProgressMonitor::Percent(9000000, expected), 116);
    // Sizes and expectations past 2 GiB do not wrap.
    EXPECT_EQ(ProgressMonitor::Percent(3000000000LL, 20000LL * 126464), 118);
    EXPECT_EQ(ProgressMonitor::Percent(5000000000LL, 2500000000LL), 200);
    EXPECT_FALSE(ProgressMonitor::Percent(100, 0));
}

TEST(ProgressMonitor, WritesTheRowOnlyWhenItCanMeasure)
{
    FreshHome home;
    MainState state;
    QueueModel queue;
    queue.append(QStringLiteral("/v/a.flv"), QStringLiteral("62"));
    queue.append(QStringLiteral("/v/b.flv"), QStringLiteral("61"));
    state.CurrentRow = 1;
    state.ExpectedSize = 61 * 126464;
    state.LastSize = 0;
    ProgressMonitor monitor(state, queue);
    const QString output = home.tmp() + QStringLiteral("/b.avi");

    monitor.Tick(output); // not created yet
    monitor.Tick(home.tmp()); // a folder, not an output
    EXPECT_EQ(queue.progress(1), "Pending");
    EXPECT_EQ(state.LastSize, 0);

    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(3000000));
    monitor.Tick(output);
    EXPECT_EQ(queue.progress(1), "38% Done");
    EXPECT_EQ(state.LastSize, 3000000);

    ASSERT_TRUE(file.resize(3000000000LL)); // sparse: past 2 GiB without the disk space
    monitor.Tick(output);
    EXPECT_EQ(queue.progress(1), "38888% Done");
    EXPECT_EQ(state.LastSize, 3000000000LL);

    state.ExpectedSize = 0; // nothing to divide by: the row keeps its text
    monitor.Tick(output);
    EXPECT_EQ(queue.progress(1), "38888% Done");
    EXPECT_EQ(queue.progress(0), "Pending");
}

} // namespace
