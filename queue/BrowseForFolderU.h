#pragma once

#include <QString>

// Lets the user pick one folder; the empty text when the user cancels.
// The initial folder is preselected when it is not empty and still exists.
QString BrowseForFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder);
