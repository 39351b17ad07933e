#include "view/chart_marks.h"

#include <algorithm>

namespace tally {

MarkPlace PlaceMark(double barCentreX,
                    double barTop,
                    double markWidth,
                    double markHeight,
                    std::span<const PixelBox> bars,
                    const PixelBox& plot,
                    double ceiling)
{
    MarkPlace place;
    place.Visible = barCentreX >= plot.Left && barCentreX <= plot.Right();
    place.X = std::clamp(barCentreX - markWidth / 2, plot.Left, std::max(plot.Left, plot.Right() - markWidth));
    double bottom = barTop - 1;
    for (const PixelBox& bar : bars) {
        const bool under = bar.Left < place.X + markWidth && place.X < bar.Right() && bar.Height > 0;
        if (under) {
            bottom = std::min(bottom, bar.Top - 1);
        }
    }
    place.Y = std::max(ceiling, bottom - markHeight);
    return place;
}

} // namespace tally
