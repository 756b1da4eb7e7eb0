#pragma once

#include <QString>

struct ChildEnd;

// Reads how an ffmpeg process ended for the words that say why a conversion
// failed. ffmpeg's error output lists its streams and statistics around the
// few lines that matter, and ends a failure with "Conversion failed!".
namespace FfmpegReport {

// The line of ffmpeg's error output that names the cause: the first line that
// reports an error, else the last line that is neither a stream listing, a
// statistic nor ffmpeg's closing words. A component's address
// ("[libxvid @ 0x55d0c1e0]") is dropped from it. Empty when no line qualifies.
QString CauseLine(const QString& errorOutput);

// The line in which ffmpeg says its output could not be written whole, which
// it reports with exit code 0 (a full disk); empty when there is none.
QString WriteFailureLine(const QString& errorOutput);

// "ffmpeg was ended by signal 9 (SIGKILL)"; for an unknown signal
// "ffmpeg was killed or crashed".
QString SignalText(int signal);

// Why an ended ffmpeg gave no usable output: its failed start, the signal
// that ended it, or the cause line (its exit code when no line tells);
// empty when it ended well. program is the ffmpeg that was started.
QString Reason(const ChildEnd& end, const QString& program);

} // namespace FfmpegReport
