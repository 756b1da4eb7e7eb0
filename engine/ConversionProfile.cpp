#include "engine/ConversionProfile.h"

#include "platform/Folders.h"
#include "platform/NativePath.h"

namespace ConversionProfiles {

namespace {

QStringList VideoOptions(ConversionProfile profile)
{
    const bool xvid = profile == ConversionProfile::XvidAvi;
    // libxvid cannot open for an odd frame size: one line or column of padding
    // makes it even and loses no pixel. Recordings often start one stream
    // late or drop packets: constant frames repeat the picture over a gap.
    return {QStringLiteral("-vf"),       QStringLiteral("yadif=deint=interlaced,pad=ceil(iw/2)*2:ceil(ih/2)*2"),
            QStringLiteral("-b:v"),      QStringLiteral("900000"),
            QStringLiteral("-c:v"),      xvid ? QStringLiteral("libxvid") : QStringLiteral("mpeg4"),
            QStringLiteral("-r"),        QStringLiteral("25"),
            QStringLiteral("-fps_mode"), QStringLiteral("cfr"),
            QStringLiteral("-tag:v"),    xvid ? QStringLiteral("XVID") : QStringLiteral("DIVX")};
}

QStringList SoundOptions()
{
    // Audio gaps, a late start included, are filled with silence, where
    // ffmpeg would otherwise play the next sound at once, early.
    return {QStringLiteral("-b:a"), QStringLiteral("128000"),
            QStringLiteral("-ar"),  QStringLiteral("44100"),
            QStringLiteral("-ac"),  QStringLiteral("2"),
            QStringLiteral("-af"),  QStringLiteral("aresample=async=1:first_pts=0")};
}

// No standard input: ffmpeg would otherwise read keys from it.
QStringList Quiet()
{
    return {QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"), QStringLiteral("-nostats")};
}

QStringList Threads(int threads)
{
    return threads > 0 ? QStringList{QStringLiteral("-threads"), QString::number(threads)} : QStringList{};
}

} // namespace

QStringList Options(ConversionProfile profile)
{
    return QStringList{QStringLiteral("-y")} + VideoOptions(profile) + SoundOptions();
}

QStringList FfmpegArguments(ConversionProfile profile, const QString& sourceFile, const QString& targetFile,
                            int threads, int soundPipe)
{
    // Both encoders take their thread count from -threads; ffmpeg's own
    // choice for mpeg4 is one slice more than there are cores, which leaves
    // a core waiting on every frame. Progress comes as key=value reports on
    // standard output instead of a status line. The container is named, as
    // the file written is not always called ".avi".
    const QStringList reported = Quiet() + QStringList{QStringLiteral("-progress"), QStringLiteral("pipe:1")};
    const QStringList written = Threads(threads) + QStringList{QStringLiteral("-f"), QStringLiteral("avi"), targetFile};
    if (soundPipe < 0)
        return reported + QStringList{QStringLiteral("-i"), sourceFile} + Options(profile) + written;
    // The sound comes encoded from the pipe and is only stored.
    return reported + QStringList{QStringLiteral("-i"),   sourceFile,
                                  QStringLiteral("-f"),   QStringLiteral("nut"),
                                  QStringLiteral("-i"),   QStringLiteral("pipe:%1").arg(soundPipe),
                                  QStringLiteral("-map"), QStringLiteral("0:v:0?"),
                                  QStringLiteral("-map"), QStringLiteral("1:a"),
                                  QStringLiteral("-c:a"), QStringLiteral("copy"),
                                  QStringLiteral("-y")}
           + VideoOptions(profile) + written;
}

QStringList SharedArguments(ConversionProfile profile, const QList<std::pair<QString, QString>>& files, int threads)
{
    QStringList arguments = Quiet() + QStringList{QStringLiteral("-progress"), QStringLiteral("pipe:1")};
    for (const auto& file : files)
        arguments << QStringLiteral("-i") << file.first;
    // Named, as ffmpeg would otherwise pick the best streams of all inputs for each output.
    for (qsizetype input = 0; input < files.size(); ++input)
        arguments += QStringList{QStringLiteral("-map"), QStringLiteral("%1:v:0?").arg(input), QStringLiteral("-map"),
                                 QStringLiteral("%1:a:0?").arg(input)}
                     + Options(profile) + Threads(threads)
                     + QStringList{QStringLiteral("-f"), QStringLiteral("avi"), files[input].second};
    return arguments;
}

QStringList SoundArguments(const QString& sourceFile, int soundPipe)
{
    // The encoder AVI takes by default; NUT carries its packets' times whole,
    // so the file is the same as when one ffmpeg does it all.
    return Quiet()
           + QStringList{QStringLiteral("-i"), sourceFile, QStringLiteral("-vn"), QStringLiteral("-sn"),
                         QStringLiteral("-dn")}
           + SoundOptions()
           + QStringList{QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-f"),
                         QStringLiteral("nut"), QStringLiteral("pipe:%1").arg(soundPipe)};
}

QString TargetFileFor(const QString& sourceFile, const QString& workDir)
{
    const qsizetype slash = sourceFile.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = sourceFile.lastIndexOf(QLatin1Char('.'));
    const QString withAvi = (dot > slash ? sourceFile.left(dot) : sourceFile) + QStringLiteral(".avi");
    QString fileName = NativePath::AsLatin1(withAvi.mid(withAvi.lastIndexOf(QLatin1Char('/')) + 1));
    // No control character in a name the user will list, type or see in a
    // terminal; "_" stands in as the one character every filesystem takes
    // that adds no byte and reads as no part of a word.
    for (QChar& c : fileName) {
        if (NativePath::IsControl(c))
            c = QLatin1Char('_');
    }
    return Folders::TrimControls(workDir + QLatin1Char('/') + fileName);
}

} // namespace ConversionProfiles
