#include "platform/ProcessLauncher.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"
#include "queue/DurationProbe.h"
#include "queue/FlvTimeline.h"
#include "queue/ParallelProbe.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

TEST(BatchText, IsFourCrLfLinesWithEveryPercentOfAPathDoubled)
{
    const QByteArray text = DurationProbe::BatchText(QStringLiteral("/v/my 100% clip%x%.flv"), QStringLiteral("/t/"),
                                                     QStringLiteral("/usr/bin/mediainfo"));
    EXPECT_EQ(text, QByteArray("set filein=\"/v/my 100%% clip%%x%%.flv\"\r\n"
                               "set fileout=\"/t/duration_time.txt\"\r\n"
                               "set mediainfo=\"/usr/bin/mediainfo\"\r\n"
                               "%mediainfo% --Inform=General;%%Duration/String3%% %filein% > %fileout%\r\n"));
    // The path goes in as its bytes on disk.
    EXPECT_TRUE(
        DurationProbe::BatchText(QStringLiteral("/v/ünï.flv"), "/t/", "/m").contains("/v/\xc3\xbcn\xc3\xaf.flv"));
}

struct TimeCase
{
    const char* text;
    qint64 seconds; // -1: not a valid time
};

// FLV tags as a recorder writes them: type, size, timestamp with its high byte, then the size repeated.
QByteArray FlvTag(char type, qint64 stamp, const QByteArray& data)
{
    QByteArray tag;
    const auto put = [&](quint32 value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            tag += char((value >> (8 * i)) & 0xFF);
    };
    tag += type;
    put(quint32(data.size()), 3);
    put(quint32(stamp & 0xFFFFFF), 3);
    tag += char((stamp >> 24) & 0xFF);
    put(0, 3);
    tag += data;
    put(quint32(data.size() + 11), 4);
    return tag;
}

QByteArray Metadata(double seconds)
{
    QByteArray number(8, '\0');
    quint64 bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    for (int i = 0; i < 8; ++i)
        number[i] = char(bits >> (56 - 8 * i));
    return FlvTag(18, 0,
                  QByteArray("\x02\x00\x0aonMetaData\x08\x00\x00\x00\x01\x00\x08"
                             "duration\x00",
                             29)
                      + number);
}

const QByteArray FlvHeader("FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00", 13);
const QByteArray Picture("\x22\x00", 2); // Sorenson, an inter frame
const QByteArray Sound("\x2e\xff", 2);   // MP3
const QByteArray AvcSetUp("\x17\x00\x00\x00\x00", 5);
const QByteArray AacSetUp("\xaf\x00\x12\x10", 4);

// What a file plays: the last timestamp less the first once it starts late;
// its header's length warns only when it states more than a second beyond.
TEST(FlvTimeline, PlayingLengthIsLastLessFirstAndACutOffSourceIsTold)
{
    const auto stream = [](qint64 from, qint64 to) {
        QByteArray tags;
        for (qint64 t = from; t <= to; t += 1000)
            tags += FlvTag(9, t, Picture) + FlvTag(8, t + 20, Sound);
        return tags;
    };
    const QByteArray live
        = FlvHeader + Metadata(8) + FlvTag(9, 0, AvcSetUp) + FlvTag(8, 0, AacSetUp) + stream(600000, 608000);
    const struct
    {
        const char* name;
        QByteArray bytes;
        qint64 measuredMs; // what mediainfo says
        qint64 playingMs;
        const char* warning;
    } cases[] = {
        {"from 0, as most files", FlvHeader + Metadata(8.05) + stream(0, 8000), 8072, 8072, ""},
        {"a recording from 600 s, set-up tags at 0", live, 608022, 8020, ""},
        {"a recording from 3600 s", FlvHeader + stream(3600000, 3608000), 3608022, 8020, ""},
        {"a recording cut off inside a tag", live.left(live.size() - 7), 608022, 8000, ""},
        {"a download cut to 3 s of 15.3", FlvHeader + Metadata(15.3) + stream(0, 3000).chopped(5), 3000, 3000,
         "The source holds 3.0 s of the 15.3 s its header states: it may be cut off."},
        {"within a second of its header", FlvHeader + Metadata(9.0) + stream(0, 8000), 8072, 8072, ""},
        {"a header that states less", FlvHeader + Metadata(2) + stream(0, 8000), 8072, 8072, ""},
        {"a header of 0", FlvHeader + Metadata(0) + stream(0, 8000), 8072, 8072, ""},
        {"a header of days", FlvHeader + Metadata(86400.0 * 3) + stream(0, 8000), 8072, 8072,
         "The source holds 8.1 s of the 259200.0 s its header states: it may be cut off."},
        {"timestamps that jump back", FlvHeader + stream(600000, 603000) + stream(0, 1000), 603022, 3020, ""},
        {"not an FLV", QByteArray("\x1a\x45\xdf\xa3 matroska", 13), 5000, 5000, ""},
        {"a header cut short", FlvHeader.left(7), 5000, 5000, ""},
        {"a tag cut short", FlvHeader + FlvTag(9, 600000, Picture).left(6), 5000, 5000, ""},
        {"no tag at all", FlvHeader, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FlvTimeline timeline = FlvTimeline::Parse(c.bytes.left(64 * 1024), c.bytes.right(64 * 1024));
        const qint64 playing = timeline.playingMs(c.measuredMs);
        EXPECT_EQ(playing, c.playingMs);
        EXPECT_EQ(timeline.cutOffWarning(playing), c.warning);
    }
}

TEST(TimeTextToSeconds, ParsesMediaInfoTimesAndRefusesTheRest)
{
    const TimeCase cases[] = {
        {"00:03:25.123", 205},
        {"00:03:25.999", 205},
        {"00:00:00.400", 0},
        {"23:59:59.999", 86399},
        {"7", 25200},
        {"01:02", 3720},
        {" 1 : 2 : 3 . 4 ", 3723},
        {"00:00:01.0001", 1},
        {"24:00:00", 86400},
        {"25:00:00.000", 90000},
        {"999999:59:59", 3599999999},
        {"", -1},
        {" ", -1},
        {"00:60:00", -1},
        {"00:00:60", -1},
        {"00:00:01.1000", -1},
        {"1:2:3:4", -1},
        {"01:02.5", -1},
        {"00:00:01.", -1},
        {"1::2", -1},
        {"-1", -1},
        {"00:00:0x", -1},
        {"99999999999999:00", -1},
        {"1000000:00:00", -1},
    };
    const QLocale c(QLocale::C);
    for (const TimeCase& t : cases) {
        const QString text = QString::fromUtf8(t.text);
        if (t.seconds >= 0) {
            EXPECT_EQ(TimeTextToSeconds(text, c), t.seconds) << t.text;
            continue;
        }
        try {
            TimeTextToSeconds(text, c);
            ADD_FAILURE() << "accepted: " << t.text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.text(), "'" + text + "' is not a valid time");
        }
    }
    EXPECT_EQ(WithFullStop(QStringLiteral("'' is not a valid time")), "'' is not a valid time.");
    // The fraction's first three digits are kept where a length is compared.
    EXPECT_EQ(TimeTextToMilliseconds("25:00:01.4", c), 90001400);
    EXPECT_EQ(TimeTextToMilliseconds(" 0 : 0 : 3 . 0999 ", c), 3099);
}

TEST(TimeTextToSeconds, AcceptsTheLocalesSeparatorsBesideMediaInfos)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    ASSERT_EQ(german.decimalPoint(), ",");
    EXPECT_EQ(TimeTextToSeconds("00:03:25,123", german), 205);
    EXPECT_EQ(TimeTextToSeconds("00:03:25.123", german), 205);

    // Finnish writes times as 12.30: the full stop is then both a time and a
    // decimal separator, told apart by position.
    const QLocale finnish(QLocale::Finnish, QLocale::Finland);
    ASSERT_TRUE(finnish.timeFormat(QLocale::ShortFormat).contains(QLatin1Char('.')))
        << finnish.timeFormat(QLocale::ShortFormat).toStdString();
    EXPECT_EQ(TimeTextToSeconds("00.03.25,5", finnish), 205);
    EXPECT_EQ(TimeTextToSeconds("00.03.25.5", finnish), 205);
    EXPECT_EQ(TimeTextToSeconds("00:03:25.123", finnish), 205);
    EXPECT_THROW(TimeTextToSeconds("00:03:25,123", QLocale(QLocale::C)), EConvertError);
}

// One file measured as Add FLV File measures it; throws what its probe met.
std::optional<QString> Probed(const DurationProbe& probe, const QString& source)
{
    ParallelProbe probes(probe, {source}, 1);
    std::optional<ProbeOutcome> outcome;
    QObject::connect(&probes, &ParallelProbe::answered, [&](int, const ProbeOutcome& o) { outcome = o; });
    probes.Start();
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }, 60000))
        throw std::runtime_error("no answer");
    return outcome->get();
}

class Probe : public ::testing::Test
{
protected:
    FreshHome home;
    QString temp = Folders::PrivateTempDir();
    QString mediainfo = ProcessLauncher::FindProgram(QStringLiteral("mediainfo"), QString());
    QString media = home.root() + QStringLiteral("/media");

    void SetUp() override
    {
        ASSERT_FALSE(mediainfo.isEmpty()) << "mediainfo must be installed";
        QDir().mkpath(media);
    }

    bool tempIsClean() const
    {
        return !QFileInfo::exists(temp + "open.bat") && !QFileInfo::exists(temp + "duration_time.txt")
               && !QFileInfo(temp + "source.flv").isSymLink();
    }
};

TEST_F(Probe, RealFileGivesMediaInfosTimeAndLeavesNoTempFiles)
{
    const QString clip = media + "/100% sure & $HOME.flv";
    MakeFlv(clip, 2.0);
    const DurationProbe probe(temp, mediainfo);
    EXPECT_EQ(probe.batchPath(), temp + "open.bat");
    const auto answer = Probed(probe, clip);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(QRegularExpression("^00:00:02\\.\\d{3}$").match(*answer).hasMatch()) << answer->toStdString();
    EXPECT_EQ(TimeTextToSeconds(*answer), 2);
    EXPECT_TRUE(tempIsClean());
}

TEST_F(Probe, NonAsciiNamesAreFoundUnderAnyLocale)
{
    const QString clip = media + "/ünïcödé ñame.flv";
    MakeFlv(clip, 1.0, {32, 24}, false);
    const QByteArray saved = qgetenv("LC_ALL");
    for (const char* locale : {"C", "C.UTF-8"}) {
        qputenv("LC_ALL", locale);
        const auto answer = Probed(DurationProbe(temp, mediainfo), clip);
        EXPECT_TRUE(answer && answer->startsWith("00:00:01."))
            << locale << ": " << answer.value_or("none").toStdString();
    }
    if (saved.isNull())
        qunsetenv("LC_ALL");
    else
        qputenv("LC_ALL", saved);
}

TEST_F(Probe, UnreadableContentGivesAnEmptyLineNotNoAnswer)
{
    QFile empty(media + "/empty.flv");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile noise(media + "/noise.flv");
    ASSERT_TRUE(noise.open(QIODevice::WriteOnly));
    for (int i = 0; i < 256; ++i)
        noise.write(QByteArray(1, static_cast<char>((i * 7919) % 251)));
    noise.close();

    const DurationProbe probe(temp, mediainfo);
    for (const QString& path : {empty.fileName(), noise.fileName(), media + "/never-made.flv"}) {
        const auto answer = Probed(probe, path);
        ASSERT_TRUE(answer.has_value()) << path.toStdString();
        EXPECT_EQ(*answer, "") << path.toStdString();
        EXPECT_TRUE(tempIsClean());
    }
}

// Names the batch cannot quote, and bytes that are not UTF-8, reach mediainfo through a link.
TEST_F(Probe, AnyNameIsMeasuredAndLeavesNoTempFiles)
{
    const DurationProbe probe(temp, mediainfo);
    MakeFlv(media + "/a.flv");
    for (const QString& name : {QStringLiteral("say \"hi\".flv"), QStringLiteral("two\nlines.flv"),
                                QStringLiteral("cr\r.flv"), NativePath::Decode("caf\xE9 100%.flv")}) {
        const QString path = media + "/" + name;
        ASSERT_TRUE(QFile::copy(media + "/a.flv", media + "/copied.flv"));
        ASSERT_EQ(::rename(QFile::encodeName(media + "/copied.flv").constData(), NativePath::Encode(path).constData()),
                  0);
        EXPECT_TRUE(Probed(probe, path).value_or(QString()).startsWith("00:00:0")) << name.toStdString();
        EXPECT_TRUE(tempIsClean());
    }
}

TEST_F(Probe, MissingToolsAreNamedBeforeAnythingIsWritten)
{
    const QString clip = media + "/a.flv";
    try {
        Probed(DurationProbe(temp, QString()), clip);
        ADD_FAILURE() << "no error without mediainfo";
    } catch (const VantrelError& e) {
        EXPECT_TRUE(e.text().contains("\"mediainfo\"")) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains("install the package")) << e.text().toStdString();
    }
    try {
        Probed(DurationProbe(temp, mediainfo, home.root() + "/bin/vantrel-batch"), clip);
        ADD_FAILURE() << "no error without the interpreter";
    } catch (const VantrelError& e) {
        EXPECT_TRUE(e.text().contains("vantrel-batch")) << e.text().toStdString();
    }
    EXPECT_TRUE(tempIsClean());
}

TEST_F(Probe, FileErrorsCarryThePathAndTheSystemsReason)
{
    const QString clip = media + "/a.flv";
    const QString gone = home.root() + "/no-such-folder/";
    try {
        Probed(DurationProbe(gone, mediainfo), clip);
        ADD_FAILURE();
    } catch (const EFileError& e) {
        EXPECT_TRUE(e.text().startsWith("Cannot create file \"" + gone + "open.bat\". ")) << e.text().toStdString();
    }

    // An answer left behind that cannot be deleted is never read as this probe's.
    QDir().mkpath(temp + "duration_time.txt/x");
    try {
        Probed(DurationProbe(temp, mediainfo), clip);
        ADD_FAILURE();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.text(), "Cannot delete file \"" + temp + "duration_time.txt\"");
    }
}

// Writes an executable script standing in for the batch interpreter.
QString script(const QString& path, const QByteArray& text, QFileDevice::Permissions mode)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    f.setPermissions(mode);
    return path;
}

TEST_F(Probe, ABatchThatEndsBeforeWritingHasNoAnswerWhateverAnEarlierProbeLeft)
{
    const QString clip = media + "/a.flv";
    MakeFlv(clip);
    const auto runnable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    struct Case
    {
        const char* what;
        QString interpreter;
    };
    const Case cases[] = {
        {"a stand-in that takes open.bat for a mode it does not know", BinPath(QStringLiteral("processtestapp"))},
        {"ends at once", script(home.root() + "/quits", "#!/bin/sh\nexit 0\n", runnable)},
        {"fails", script(home.root() + "/fails", "#!/bin/sh\nexit 3\n", runnable)},
        {"dies by a signal", script(home.root() + "/dies", "#!/bin/sh\nkill -9 $$\n", runnable)},
    };
    for (const Case& c : cases) {
        // What an earlier probe of a ten-minute file would have left.
        QFile leftover(temp + "duration_time.txt");
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
        leftover.write("00:10:00.000\r\n");
        leftover.close();
        EXPECT_EQ(Probed(DurationProbe(temp, mediainfo, c.interpreter), clip), std::nullopt) << c.what;
        EXPECT_TRUE(tempIsClean()) << c.what;
    }

    // An interpreter that is there but cannot be started is named as such.
    const QString broken = script(home.root() + "/vantrel-batch", "#!/nonexistent/interpreter\n", runnable);
    try {
        Probed(DurationProbe(temp, mediainfo, broken), clip);
        ADD_FAILURE() << "no error for an interpreter that cannot start";
    } catch (const VantrelError& e) {
        EXPECT_TRUE(e.text().startsWith("The program \"" + broken + "\"")) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains("could not be started")) << e.text().toStdString();
    }
}

} // namespace
