#pragma once

class QHeaderView;
class QLabel;
class QPushButton;

// Fitting the window's texts to a font other than the one the layout was
// measured with (the system's fallback when Tahoma is missing).
namespace TextFit {

// The smallest pixel size text is set in to make it fit.
inline constexpr int MinPixelSize = 7;

// Sizes `label`, laid out `width` wide, to its text with its left edge kept.
// Text that would run past `right` (where the next control begins) is set in
// smaller sizes until it fits, and cut with an ellipsis (whole in its
// tooltip) if it never does.
void Label(QLabel* label, int width, int right);

// Sets a button's text smaller until it fits between the button's bevels.
void Button(QPushButton* button);

// Widens the header sections narrower than their captions; when the sections
// would then be wider than `available`, the captions are set smaller.
void Header(QHeaderView* header, const int* widths, int count, int available);

} // namespace TextFit
