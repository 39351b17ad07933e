#include "view/label_fit.h"

#include <algorithm>

namespace tally {

int ValueLeft(int usualLeft, int captionLeft, int captionWidth)
{
    return std::max(usualLeft, captionLeft + captionWidth + kLabelValueGap);
}

} // namespace tally
