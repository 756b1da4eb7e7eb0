#include "app/RoundRegion.h"

#include <QRect>

#include <cmath>

QRegion RoundRectRegion(QSize size, QSize ellipse)
{
    const int w = size.width();
    const int h = size.height();
    if (w <= 0 || h <= 0)
        return {};
    const double rx = qMin(ellipse.width(), w) / 2.0;
    const double ry = qMin(ellipse.height(), h) / 2.0;
    const int cornerRows = int(std::ceil(ry));
    QRegion region;
    for (int y = 0; y < cornerRows; ++y) {
        // A pixel row stays where its centre line lies inside the ellipse.
        const double dy = (ry - (y + 0.5)) / ry;
        const int inset = dy <= 0 ? 0 : int(std::lround(rx - rx * std::sqrt(1.0 - dy * dy)));
        region += QRect(inset, y, w - 2 * inset, 1);
        region += QRect(inset, h - 1 - y, w - 2 * inset, 1);
    }
    if (h > 2 * cornerRows)
        region += QRect(0, cornerRows, w, h - 2 * cornerRows);
    return region;
}
