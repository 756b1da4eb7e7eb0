#pragma once

#include <QString>
#include <QList>
#include <QStringList>

#include <utility>

// The two ways a file is converted, one per conversion button.
enum class ConversionProfile { DivxAvi, XvidAvi };

namespace ConversionProfiles {

// The profile's ffmpeg options: frames marked interlaced deinterlaced, padded to an even frame size,
// 900,000 bit/s video at 25 frames per second with the profile's FourCC,
// 128,000 bit/s audio at 44,100 Hz in two channels, each stream padded from
// the start and over its gaps so both stay in sync, written over an existing output.
QStringList Options(ConversionProfile profile);

// ffmpeg's whole argument list for one file, written as AVI whatever
// targetFile's name, with its progress reported on standard output; its
// encoder runs on threads threads, or as many as ffmpeg chooses for 0. With
// a soundPipe descriptor the sound is not encoded but read ready-made from
// there, as SoundArguments() writes it.
QStringList FfmpegArguments(ConversionProfile profile, const QString& sourceFile, const QString& targetFile,
                            int threads = 0, int soundPipe = -1);

// One ffmpeg's argument list that converts each (source, target) pair of
// files as FfmpegArguments() would one of them, in one process: for short
// files its start costs more than their conversion.
QStringList SharedArguments(ConversionProfile profile, const QList<std::pair<QString, QString>>& files, int threads);

// A second ffmpeg's argument list that encodes the source's sound as the
// profiles do and writes it to the soundPipe descriptor, so that it is
// encoded beside the picture, on another core. It fails when the source has
// no sound.
QStringList SoundArguments(const QString& sourceFile, int soundPipe);

// The output path for a source: its file name with the last extension replaced
// by ".avi" (or ".avi" added), each byte that is not UTF-8 read as Latin-1 and
// each control character made "_", after the work folder and one "/", with
// blanks and control characters trimmed from both ends.
QString TargetFileFor(const QString& sourceFile, const QString& workDir);

} // namespace ConversionProfiles
