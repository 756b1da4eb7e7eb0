#include "engine/ConversionProfile.h"

#include "platform/CommandLine.h"
#include "platform/Folders.h"

namespace ConversionProfiles {

namespace {

// Always in double quotes, as the argument text has always shown its paths.
QString QuotedPath(const QString& path)
{
    const QString quoted = CommandLine::Quote(path);
    if (quoted.startsWith(QLatin1Char('"')))
        return quoted;
    // Inside quotes only the backslashes before the closing quote need doubling.
    qsizetype trailing = 0;
    while (trailing < path.size() && path.at(path.size() - 1 - trailing) == QLatin1Char('\\'))
        ++trailing;
    return QLatin1Char('"') + path + QString(trailing, QLatin1Char('\\')) + QLatin1Char('"');
}

} // namespace

QString OptionText(ConversionProfile profile)
{
    // libxvid cannot open for an odd frame size: one line or column of padding
    // makes it even and loses no pixel.
    switch (profile) {
    case ConversionProfile::DivxAvi:
        return QStringLiteral("-y -vf yadif=deint=interlaced,pad=ceil(iw/2)*2:ceil(ih/2)*2 -b:v 900000 -c:v mpeg4 -r 25 -tag:v DIVX"
                              " -b:a 128000 -ar 44100 -ac 2");
    case ConversionProfile::XvidAvi:
        return QStringLiteral("-y -vf yadif=deint=interlaced,pad=ceil(iw/2)*2:ceil(ih/2)*2 -b:v 900000 -c:v libxvid -r 25 -tag:v XVID"
                              " -b:a 128000 -ar 44100 -ac 2");
    }
    return {};
}

QString FfmpegArgs(ConversionProfile profile, const QString& sourceFile, const QString& targetFile)
{
    // No standard input: ffmpeg would otherwise read keys from it. Its progress
    // comes as key=value reports on standard output instead of a status line.
    // The container is named, as the file written is not always called ".avi".
    return QStringLiteral(" -nostdin -hide_banner -nostats -progress pipe:1 -i ") + QuotedPath(sourceFile) + QLatin1Char(' ')
        + OptionText(profile) + QStringLiteral(" -f avi ") + QuotedPath(targetFile);
}

QString TargetFileFor(const QString& sourceFile, const QString& workDir)
{
    const qsizetype slash = sourceFile.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = sourceFile.lastIndexOf(QLatin1Char('.'));
    const QString withAvi = (dot > slash ? sourceFile.left(dot) : sourceFile) + QStringLiteral(".avi");
    const QString fileName = withAvi.mid(withAvi.lastIndexOf(QLatin1Char('/')) + 1);
    return Folders::TrimControls(workDir + QLatin1Char('/') + fileName);
}

} // namespace ConversionProfiles
