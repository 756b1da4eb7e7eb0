#include "engine/ConversionProfile.h"

#include "platform/Folders.h"
#include "platform/NativePath.h"

namespace ConversionProfiles {

QStringList Options(ConversionProfile profile)
{
    const bool xvid = profile == ConversionProfile::XvidAvi;
    // libxvid cannot open for an odd frame size: one line or column of padding
    // makes it even and loses no pixel. Recordings often start one stream
    // late or drop packets: constant frames repeat the picture over a video
    // gap, and audio gaps (the late start included) are filled with silence,
    // where ffmpeg would otherwise play the next sound at once, early.
    return {QStringLiteral("-y"),
            QStringLiteral("-vf"),
            QStringLiteral("yadif=deint=interlaced,pad=ceil(iw/2)*2:ceil(ih/2)*2"),
            QStringLiteral("-b:v"),
            QStringLiteral("900000"),
            QStringLiteral("-c:v"),
            xvid ? QStringLiteral("libxvid") : QStringLiteral("mpeg4"),
            QStringLiteral("-r"),
            QStringLiteral("25"),
            QStringLiteral("-fps_mode"),
            QStringLiteral("cfr"),
            QStringLiteral("-tag:v"),
            xvid ? QStringLiteral("XVID") : QStringLiteral("DIVX"),
            QStringLiteral("-b:a"),
            QStringLiteral("128000"),
            QStringLiteral("-ar"),
            QStringLiteral("44100"),
            QStringLiteral("-ac"),
            QStringLiteral("2"),
            QStringLiteral("-af"),
            QStringLiteral("aresample=async=1:first_pts=0")};
}

QStringList FfmpegArguments(ConversionProfile profile, const QString& sourceFile, const QString& targetFile,
                            int threads)
{
    // Both encoders take their thread count from -threads; ffmpeg's own
    // choice for mpeg4 is one slice more than there are cores, which leaves
    // a core waiting on every frame.
    const QStringList encoderThreads
        = threads > 0 ? QStringList{QStringLiteral("-threads"), QString::number(threads)} : QStringList{};
    // No standard input: ffmpeg would otherwise read keys from it. Its progress
    // comes as key=value reports on standard output instead of a status line.
    // The container is named, as the file written is not always called ".avi".
    return QStringList{QStringLiteral("-nostdin"),
                       QStringLiteral("-hide_banner"),
                       QStringLiteral("-nostats"),
                       QStringLiteral("-progress"),
                       QStringLiteral("pipe:1"),
                       QStringLiteral("-i"),
                       sourceFile}
           + Options(profile) + encoderThreads + QStringList{QStringLiteral("-f"), QStringLiteral("avi"), targetFile};
}

QString TargetFileFor(const QString& sourceFile, const QString& workDir)
{
    const qsizetype slash = sourceFile.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = sourceFile.lastIndexOf(QLatin1Char('.'));
    const QString withAvi = (dot > slash ? sourceFile.left(dot) : sourceFile) + QStringLiteral(".avi");
    const QString fileName = NativePath::AsLatin1(withAvi.mid(withAvi.lastIndexOf(QLatin1Char('/')) + 1));
    return Folders::TrimControls(workDir + QLatin1Char('/') + fileName);
}

} // namespace ConversionProfiles
