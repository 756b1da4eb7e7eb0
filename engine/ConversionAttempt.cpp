#include "engine/ConversionAttempt.h"

#include "engine/FfmpegProcess.h"
#include "engine/FileConversion.h"

#include <algorithm>

ConversionAttempt::ConversionAttempt(std::vector<FileConversion*> files, QObject* parent)
    : QObject(parent), m_files(std::move(files))
{
    for (FileConversion* file : m_files)
        file->setParent(this);
}

FileConversion* ConversionAttempt::file(quint64 id) const
{
    const auto it = std::find_if(m_files.cbegin(), m_files.cend(), [id](const auto* file) { return file->id() == id; });
    return it == m_files.cend() ? nullptr : *it;
}

void ConversionAttempt::Tick(const QObject* timer)
{
    for (FileConversion* file : m_files) {
        if (file->ticksWith(timer))
            file->ShowProgress(progress());
    }
}

void ConversionAttempt::ShowProgress()
{
    for (FileConversion* file : m_files)
        file->ShowProgress(progress());
}

ConversionAttempt::Taken ConversionAttempt::Detach(FileConversion* file)
{
    std::erase(m_files, file);
    file->disconnect(this);
    // Whoever owns the attempt owns what is taken out, until it is deleted.
    file->setParent(parent());
    return Taken(file);
}

ConversionAttempt::Taken ConversionAttempt::Take(quint64 id)
{
    FileConversion* taken = file(id);
    if (!taken || !running())
        return nullptr;
    Taken file = Detach(taken);
    // A group's ffmpeg goes on for the others; what it still writes into this
    // file, which no longer has a name, is freed when that ffmpeg ends.
    if (m_files.empty()) {
        Kill();
        EndAndWait();
    }
    file->Release();
    return file;
}

std::vector<ConversionAttempt::Taken> ConversionAttempt::TakeAll()
{
    EndAndWait();
    std::vector<Taken> taken;
    while (!m_files.empty())
        taken.push_back(Detach(m_files.front()));
    for (const auto& file : taken)
        file->Release();
    return taken;
}

void ConversionAttempt::Judge(FileConversion* file, const FfmpegEnd& end)
{
    if (const QString why = file->Check(end); !why.isEmpty()) {
        Settle(file, ConversionOutcome::Failed(why));
        return;
    }
    connect(file, &FileConversion::judged, this,
            [this, file](const ConversionOutcome& outcome) { Settle(file, outcome); });
}

void ConversionAttempt::Settle(FileConversion* file, const ConversionOutcome& outcome)
{
    if (std::find(m_files.cbegin(), m_files.cend(), file) == m_files.cend())
        return;
    std::erase(m_files, file);
    file->disconnect(this);
    emit settled(*file, outcome);
    file->Release();
    file->deleteLater();
}

ConversionOutcome ConversionAttempt::WaitOutcome(const FileConversion& file, const FfmpegEnd& end)
{
    return ConversionOutcome::WaitForPlace(RunSchedule::ShortageText(file.source(), end.startError));
}

std::optional<qint64> ConversionAttempt::processedUs() const
{
    return progress().processedUs();
}
