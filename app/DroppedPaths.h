#pragma once

#include <QList>
#include <QString>

class QMimeData;

struct DroppedPath
{
    QString path;
    bool folder = false;
};

// The local FLV files and folders among what the file manager dropped, in its
// order. Other files, and addresses that are not local files, are left out, as
// the open dialog's filter would leave them out.
QList<DroppedPath> DroppedPaths(const QMimeData* mime);
