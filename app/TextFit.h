#pragma once

class QHeaderView;
class QLabel;

// Fitting the window's texts to a font other than the one the layout was
// measured with (the system's fallback when Tahoma is missing).
namespace TextFit {

// The smallest pixel size text is set in to make it fit.
inline constexpr int MinPixelSize = 7;

// Sizes `label`, laid out `width` wide, to its text with its left edge kept.
// Text that would run past `right` (where the next control begins) is set in
// smaller sizes until it fits.
void Label(QLabel* label, int width, int right);

// Widens the header sections narrower than their captions; when the sections
// would then be wider than `available`, the captions are set smaller.
void Header(QHeaderView* header, const int* widths, int count, int available);

} // namespace TextFit
