#include "app/DroppedPaths.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

QList<DroppedPath> DroppedPaths(const QMimeData* mime)
{
    QList<DroppedPath> paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir())
            paths.append({info.absoluteFilePath(), true});
        else if (info.isFile() && info.suffix().compare(QLatin1String("flv"), Qt::CaseInsensitive) == 0)
            paths.append({info.absoluteFilePath(), false});
    }
    return paths;
}
