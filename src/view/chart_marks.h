#pragma once

#include <span>

namespace tally {

// Rectangles in the chart's pixels, y growing downwards.
struct PixelBox
{
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    double Right() const { return Left + Width; }
    double Bottom() const { return Top + Height; }
};

struct MarkPlace
{
    double X = 0;
    double Y = 0;
    bool Visible = false;
};

// A value's mark over its bar: centred above the bar's top, moved sideways
// to stay inside the plot, lifted above every bar it would cover, and never
// above the ceiling (the chart's top; the plot's own top would put the
// mark of the tallest bar over that bar). Hidden when its bar lies outside
// the plot.
MarkPlace PlaceMark(double barCentreX,
                    double barTop,
                    double markWidth,
                    double markHeight,
                    std::span<const PixelBox> bars,
                    const PixelBox& plot,
                    double ceiling);

} // namespace tally
