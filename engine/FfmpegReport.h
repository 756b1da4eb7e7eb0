#pragma once

#include <QString>

struct ChildEnd;

// Reads how an ffmpeg process ended for the words that say why a conversion
// failed. ffmpeg's error output lists its streams and statistics around the
// few lines that matter, and ends a failure with "Conversion failed!".
namespace FfmpegReport {

// Why an ffmpeg gave no usable output. Where ffmpeg's own words are jargon the
// reason says what they mean for the user and `said` keeps ffmpeg's line.
struct Failure
{
    QString reason; // empty when ffmpeg ended well
    QString said;   // ffmpeg's line the reason puts in plain words; empty when the reason is its line
};

// The line of ffmpeg's error output that names the cause: the first line that
// reports an error other than a frame it skipped, else the last line that is neither a stream listing, a
// statistic nor ffmpeg's closing words. A component's address
// ("[libxvid @ 0x55d0c1e0]") is dropped from it. Empty when no line qualifies.
QString CauseLine(const QString& errorOutput);

// The line in which ffmpeg says its output could not be written whole, which
// it reports with exit code 0 (a full disk); empty when there is none.
QString WriteFailureLine(const QString& errorOutput);

// "ffmpeg was ended by signal 9 (SIGKILL)"; for an unknown signal
// "ffmpeg was killed or crashed".
QString SignalText(int signal);

// What a line of ffmpeg's jargon means for the user; empty for a line that
// says what it means. exitCode is ffmpeg's, for a line that names no cause.
QString PlainWords(const QString& line, int exitCode);

// Why an ended ffmpeg gave no usable output: its failed start, the signal
// that ended it (killed, or caught and ended on), or the cause line (its exit
// code when no line tells); an empty reason when it ended well. program is
// the ffmpeg that was started.
Failure Reason(const ChildEnd& end, const QString& program);

// A failed row's detail: the reason on the first line, then ffmpeg's line
// behind it, then ffmpeg's last lines (tail).
QString Detail(const Failure& failure, const QString& tail);
// ffmpeg's line behind the reason in a detail Detail() made; empty when the
// reason is ffmpeg's own line.
QString SaidIn(const QString& detail);

} // namespace FfmpegReport
