#include "view/date_field.h"

namespace tally {

TDateTime CalendarOpenDay(TDateTime fieldDate, TDateTime today)
{
    return fieldDate == 0.0 ? today : fieldDate;
}

} // namespace tally
