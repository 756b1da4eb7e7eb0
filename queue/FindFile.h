#pragma once

#include "platform/NotifyEvent.h"

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// Kinds of directory entries a search may list.
enum TAttrOption {
    ffReadOnly = 0x01,
    ffHidden = 0x02,
    ffSystem = 0x04,
    ffVolumeID = 0x08,
    ffDirectory = 0x10,
    ffArchive = 0x20,
};
Q_DECLARE_FLAGS(TAttrOptions, TAttrOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TAttrOptions)

class TFindFile;
// Called for each folder just before it is listed; NewPath ends in "/".
// Setting Abort stops the search, and stays set until a handler clears it.
using TNewPathEvent = std::function<void(TFindFile* Sender, const QString& NewPath, bool& Abort)>;

// Lists the entries of a folder, and optionally of every folder below it
// (breadth-first), whose names match a pattern with * and ? (letter case
// ignored) and whose kind the attribute options admit.
class TFindFile : public QObject
{
    Q_OBJECT

public:
    explicit TFindFile(QObject* owner = nullptr);

    bool Recurse = false;
    QString Directory;
    QString Filter = QStringLiteral("*.*");
    QStringList Files;
    TAttrOptions Attributes = DefaultAttributes;

    TNotifyEvent BeforeExecute;
    TNotifyEvent AfterExecute;
    TNewPathEvent OnNewPath;

    // Fills Files with full paths. A missing or unreadable folder lists
    // nothing; no error leaves here. Every matching entry is listed, whatever
    // bytes its name holds, in NativePath's form.
    void Execute();

    static constexpr TAttrOptions DefaultAttributes{ffReadOnly | ffHidden | ffSystem | ffArchive};

    // * any run, ? any one character, letter case ignored; a trailing ".*"
    // also matches a name without extension, as "*.*" always has.
    static bool Matches(const QString& pattern, const QString& name);

private:
    void SearchFolder(const QByteArray& nativeFolder, int mask);
    void SearchTree(const QByteArray& nativeFolder, int mask);

    bool m_abort = false;
};
