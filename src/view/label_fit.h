#pragma once

namespace tally {

// The smallest gap between a caption and the value that follows it.
inline constexpr int kLabelValueGap = 4;

// Where a value goes after its caption: its usual place, or further right
// when the caption, measured in the font actually used, reaches it.
int ValueLeft(int usualLeft, int captionLeft, int captionWidth);

} // namespace tally
