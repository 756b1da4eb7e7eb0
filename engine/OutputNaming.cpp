#include "engine/OutputNaming.h"

#include "engine/ConversionProfile.h"
#include "model/QueueModel.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"
#include "platform/UnfinishedFile.h"

#include <QFileInfo>
#include <QTextBoundaryFinder>

OutputNaming::OutputNaming(const QueueModel& queue) : m_queue(queue)
{ }

namespace {

// The longest start of text whose bytes on disk fit in bytes, cut between whole characters.
QString FitBytes(const QString& text, qsizetype bytes)
{
    if (NativePath::Encode(text).size() <= bytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    qsizetype used = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        used += NativePath::Encode(text.mid(kept, end - kept)).size();
        if (used > bytes)
            break;
        kept = end;
    }
    return text.left(kept);
}

} // namespace

QString OutputNaming::NumberedOutput(const QString& target, int n, int nameMax)
{
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    const QString name = target.mid(slash + 1);
    const bool avi = name.endsWith(QLatin1String(".avi"));
    const QString stem = avi ? name.chopped(4) : name;
    const QString ending
        = (n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()) + (avi || n > 1 ? QStringLiteral(".avi") : QString());
    return target.left(slash + 1) + FitBytes(stem, nameMax - NativePath::Encode(ending).size()) + ending;
}

void OutputNaming::Begin(const QString& folder)
{
    // What may be replaced: the files that stood in the folder before any output of this run.
    m_filesAtBegin = FileIdentity::FilesIn(folder);
    m_nameMax = Folders::NameMax(folder);
    // What a run of ours that died left; a living writer's file is kept.
    UnfinishedFile::RemoveLeftovers(folder);
    for (int row = 0; row < m_queue.count(); ++row)
        m_outputs.insert(m_queue.output(row));
}

QString OutputNaming::Distinct(const QString& source, const QString& folder) const
{
    const QString target = ConversionProfiles::TargetFileFor(source, folder);
    for (int n = 1;; ++n) {
        const QString candidate = NumberedOutput(target, n, m_nameMax);
        if (!m_outputs.contains(candidate))
            return candidate;
    }
}

FileIdentity OutputNaming::Replaceable(const QString& target, const QString& source) const
{
    // Anything else at the name (a folder, a link, a file that came since) is passed over for the next name.
    const FileIdentity there = FileIdentity::Of(target);
    const auto atBegin = m_filesAtBegin.constFind(Folders::FileNamePart(target));
    if (!there.regular || atBegin == m_filesAtBegin.cend() || !atBegin->sameFile(there))
        return {};
    // Only this user's own earlier output of the same source is this row's to replace.
    return m_records.MadeFrom(target, NativePath::Absolute(source)) ? there : FileIdentity{};
}

bool OutputNaming::WouldOverwriteASource(const QString& target)
{
    // Only a regular file at the name is ever replaced; a link there is passed over.
    const FileIdentity id = FileIdentity::Of(target);
    if (!id.regular)
        return false;
    // Read once per change of the queue, not once per row.
    if (m_sourceIdsStale) {
        m_sourceIds.clear();
        for (const QString& source : m_queue.PathList()) {
            if (const FileIdentity reached = FileIdentity::Reached(source); reached.exists)
                m_sourceIds.insert(reached.key());
        }
        m_sourceIdsStale = false;
    }
    return m_sourceIds.contains(id.key());
}

QString OutputNaming::Publish(UnfinishedFile& output, const QString& target, const FileIdentity& before,
                              const QString& source)
{
    const auto candidate = [this, &target](int n) {
        const QString name = NumberedOutput(target, n, m_nameMax);
        // Other rows' names stay theirs.
        return n > 1 && m_outputs.contains(name) ? QString() : Folders::FileNamePart(name);
    };
    const QString taken = output.Publish(candidate, before);
    if (taken != target)
        m_outputs.insert(taken);
    m_records.Remember(taken, NativePath::Absolute(source));
    return taken;
}
