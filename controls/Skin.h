#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The pictures of the window's skin, compiled into the program's resources.
namespace Skin {

// A picture by name ("background", "logo", "caption", "close-idle", ...);
// a null image when there is no such picture.
QImage Picture(const QString& name);
QPixmap Pixmap(const QString& name);
// The program's icon at 16, 24 and 32 pixels.
QIcon Icon();

} // namespace Skin
