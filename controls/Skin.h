#pragma once

#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QString>

#include <array>

// The pictures of the window's skin, compiled into the program's resources.
namespace Skin {

// A picture by name ("background", "logo", "caption", "close-idle", ...);
// a null image when there is no such picture. Above a device pixel ratio of 1
// the picture drawn at twice the size, marked as such: its size in the layout's
// units (deviceIndependentSize) is the same at either scale.
QImage Picture(const QString& name, qreal devicePixelRatio);
// At the application's device pixel ratio.
QImage Picture(const QString& name);
QPixmap Pixmap(const QString& name);
// Decodes the pictures the window's first paint shows at the application's
// device pixel ratio, each kept for the one call of Picture() or Pixmap()
// that takes it. Run while the main thread would otherwise wait (for the
// fonts); on the application's thread, like every call here.
void WarmUp();
// The sizes the program's icon is drawn at, besides its scalable form.
inline constexpr std::array<int, 7> IconSizes{16, 24, 32, 48, 64, 128, 256};
// The program's icon at each of IconSizes.
QIcon Icon();

// The panel grey that the skin's pictures are drawn on.
inline constexpr QRgb PanelGrey = 0xffdcdcdc;
// The skinned window's fixed light colours: dark text on the panel and light
// text fields, list and buttons with dark text, whatever the desktop's palette,
// because the pictures under the text never change.
QPalette Palette();

} // namespace Skin
