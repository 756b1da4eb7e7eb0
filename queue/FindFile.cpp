#include "queue/FindFile.h"

#include "platform/Folders.h"
#include "platform/NativePath.h"

#include <QFile>

#include <deque>

namespace {

constexpr int CountedBits = ffHidden | ffSystem | ffVolumeID | ffDirectory;

QByteArray withSlash(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

// The attribute bits a Linux entry has. A name starting with "." is hidden;
// read-only means not writable by us. System, volume label and archive have no
// meaning here and are never set.
int attributeBits(const Folders::FolderEntry& entry)
{
    int bits = 0;
    if (entry.nativeName.startsWith('.'))
        bits |= ffHidden;
    if (entry.isDir)
        bits |= ffDirectory;
    if (!entry.isWritable)
        bits |= ffReadOnly;
    return bits;
}

bool matchesFrom(const QString& pattern, qsizetype p, const QString& name, qsizetype n)
{
    // Iterative wildcard match with one backtrack point for the last '*'.
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
                   && (pattern.at(p) == QLatin1Char('?')
                       || pattern.at(p).toCaseFolded() == name.at(n).toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace

TFindFile::TFindFile(QObject* owner) : QObject(owner)
{ }

bool TFindFile::Matches(const QString& pattern, const QString& name)
{
    if (matchesFrom(pattern, 0, name, 0))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.'))
           && matchesFrom(pattern.chopped(2), 0, name, 0);
}

void TFindFile::Execute()
{
    int mask = 0;
    for (const TAttrOption option : {ffReadOnly, ffHidden, ffSystem, ffVolumeID, ffDirectory, ffArchive})
        if (Attributes.testFlag(option))
            mask |= option;

    Files.clear();
    if (BeforeExecute)
        BeforeExecute(this);
    if (!Directory.isEmpty()) {
        const QByteArray native = NativePath::Encode(Directory);
        if (Recurse)
            SearchTree(native, mask);
        else
            SearchFolder(native, mask);
    }
    if (AfterExecute)
        AfterExecute(this);
}

// Folders are walked by their bytes on disk, so a folder whose name the
// system's encoding cannot represent is still searched. Entries come in name
// order, letter case ignored: the order a file manager shows and NTFS lists.
void TFindFile::SearchFolder(const QByteArray& nativeFolder, int mask)
{
    const QByteArray native = withSlash(nativeFolder);
    const QString folder = NativePath::Decode(native);
    if (OnNewPath)
        OnNewPath(this, folder, m_abort);
    if (m_abort)
        return;

    for (const Folders::FolderEntry& entry : Folders::ListEntries(native)) {
        if (!Matches(Filter, entry.name))
            continue;
        if ((attributeBits(entry) & CountedBits & ~mask) == 0)
            Files << folder + NativePath::Decode(entry.nativeName);
    }
}

void TFindFile::SearchTree(const QByteArray& nativeFolder, int mask)
{
    std::deque<QByteArray> pending{withSlash(nativeFolder)};
    while (!pending.empty()) {
        const QByteArray current = withSlash(pending.front());
        for (const Folders::FolderEntry& entry : Folders::ListEntries(current)) {
            // A link to a folder could lead back up the tree; it is listed, not entered.
            if (entry.isDir && !entry.isSymLink)
                pending.push_back(current + entry.nativeName);
        }
        SearchFolder(current, mask);
        pending.pop_front();
        if (m_abort)
            return;
    }
}
