#pragma once

#include <QRegion>
#include <QSize>

// A rectangle of `size` whose corners are cut along an ellipse of
// `ellipse` width and height, whole pixels only.
QRegion RoundRectRegion(QSize size, QSize ellipse);
