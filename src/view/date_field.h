#pragma once

#include "model/datetime.h"

namespace tally {

// The day a date field's calendar opens at: the field's own date, or today
// while the field is empty (the zero date would open it in 1899).
TDateTime CalendarOpenDay(TDateTime fieldDate, TDateTime today);

} // namespace tally
