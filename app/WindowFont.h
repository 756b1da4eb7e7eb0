#pragma once

#include <QFont>

// The window's font: Tahoma with an 11-pixel character height (8 points at 96
// dots per inch), from Wine's fonts when installed, else the system's sans font
// at the same height. The layout's pixel sizes assume it.
QFont WindowFont();
