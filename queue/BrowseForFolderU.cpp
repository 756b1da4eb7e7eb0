#include "queue/BrowseForFolderU.h"

#include "platform/Prompt.h"

QString BrowseForFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder)
{
    return Prompt::chooseFolder(caption, initialFolder, allowNewFolder);
}
