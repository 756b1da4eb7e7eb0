#include "engine/TimeLeft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

namespace {

// A run as ffmpeg reported it, one observation a second: the speed (source
// seconds per wall second) at each second, and source time added to the run.
struct Recording
{
    const char* name;
    qint64 sourceMs;                         // to convert at the start
    std::function<double(int second)> speed; // over the second that ends at `second`
    std::function<qint64(int second)> addedMs = [](int) { return 0; };
    size_t settledFrom = 60; // from here on the speed of the past a minute holds for the rest
};

void PrintTo(const Recording& r, std::ostream* os)
{
    *os << r.name;
}

struct Replay
{
    std::vector<std::optional<qint64>> estimates; // after each second
    std::vector<qint64> trulyLeftMs;              // at the speed the rest of the run went
};

Replay Play(const Recording& r)
{
    TimeLeft estimate;
    Replay replay;
    double done = 0;
    double left = static_cast<double>(r.sourceMs);
    std::vector<double> lefts;
    estimate.Observe(0, 0, r.sourceMs);
    for (int s = 1; left > 0 && s < 3600; ++s) {
        const double moved = std::min(left, r.speed(s) * 1000.0);
        done += moved;
        left += static_cast<double>(r.addedMs(s)) - moved;
        estimate.Observe(s * 1000, std::llround(done), std::llround(left));
        replay.estimates.push_back(estimate.Estimate());
        lefts.push_back(left);
    }
    // What was truly left at each second: the wall time the recording took to finish from there.
    for (size_t i = 0; i < lefts.size(); ++i)
        replay.trulyLeftMs.push_back(static_cast<qint64>(lefts.size() - 1 - i) * 1000);
    return replay;
}

class TimeLeftOnRecordedProgress : public ::testing::TestWithParam<Recording>
{
};

// Nothing is told before five seconds of progress; after that the estimate
// never moves by more than a few seconds beyond the second that passed, and
// once settled it is within a fifth of the truth.
TEST_P(TimeLeftOnRecordedProgress, IsSteadyAndCloseOnceShown)
{
    const Recording& r = GetParam();
    const Replay replay = Play(r);
    for (int s = 1; s < TimeLeft::EnoughMs / 1000; ++s)
        EXPECT_FALSE(replay.estimates[static_cast<size_t>(s - 1)]) << "second " << s;
    for (size_t i = TimeLeft::EnoughMs / 1000; i < replay.estimates.size(); ++i) {
        ASSERT_TRUE(replay.estimates[i]) << "second " << i + 1;
        const qint64 change = std::abs(*replay.estimates[i] - (*replay.estimates[i - 1] - 1000));
        EXPECT_LE(change, std::max<qint64>(2000, *replay.estimates[i - 1] / 50)) << "second " << i + 1;
    }
    for (size_t i = r.settledFrom; i < replay.estimates.size() && replay.trulyLeftMs[i] > 30000; ++i)
        EXPECT_NEAR(*replay.estimates[i], replay.trulyLeftMs[i], replay.trulyLeftMs[i] / 5) << "second " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TimeLeftOnRecordedProgress,
    ::testing::Values(Recording{"SteadySpeed", 3600000, [](int) { return 20.0; }},
                      // Fast and slow scenes a second apart, as a real file has them.
                      Recording{"SpeedThatSwings", 3000000, [](int s) { return s % 2 ? 8.0 : 24.0; }},
                      // ffmpeg reports every half second or so: some seconds bring nothing.
                      Recording{"ReportsThatBunch", 1800000, [](int s) { return s % 3 == 0 ? 0.0 : 15.0; }},
                      // A slow file (large frames) gives way to quick ones.
                      Recording{"SlowFileThenQuickOnes", 6000000, [](int s) { return s < 60 ? 6.0 : 18.0; },
                                [](int) { return 0; }, 160},
                      // Twenty minutes of files queued while the run goes on.
                      Recording{"FilesAddedMidRun", 1200000, [](int) { return 10.0; },
                                [](int s) { return s == 40 ? 1200000 : 0; }, 120}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeLeft, NoEstimateFromAStalledOrEmptyRun)
{
    TimeLeft stalled;
    for (int s = 0; s <= 10; ++s)
        stalled.Observe(s * 1000, s * 10000, 600000);
    ASSERT_TRUE(stalled.Estimate());
    // Nothing moves for a minute: no time is told rather than a wrong one.
    for (int s = 11; s <= 75; ++s)
        stalled.Observe(s * 1000, 100000, 600000);
    EXPECT_FALSE(stalled.Estimate());

    // Work counted again (a file started over) is no progress to judge from.
    TimeLeft restarted;
    for (int s = 0; s <= 3; ++s)
        restarted.Observe(s * 1000, s * 10000, 100000);
    for (int s = 4; s <= 7; ++s)
        restarted.Observe(s * 1000, (s - 4) * 10000, 100000);
    EXPECT_FALSE(restarted.Estimate());

    TimeLeft finished;
    finished.Observe(0, 0, 0);
    EXPECT_EQ(finished.Estimate(), 0);
}

TEST(TimeLeft, TextReadsAsAClock)
{
    const struct
    {
        qint64 ms;
        const char* text;
    } cases[] = {{0, "0:00"},        {1, "0:01"},          {7000, "0:07"},         {59001, "1:00"}, {83000, "1:23"},
                 {3599000, "59:59"}, {3723000, "1:02:03"}, {90000000, "25:00:00"}, {-5000, "0:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(TimeLeft::Text(c.ms), QString::fromLatin1(c.text)) << c.ms;
}

} // namespace
