// What the browser backend's files share.
#pragma once

#include <cstdint>

namespace web {

// Delivers the 20 ms timer periods that have passed on the page's clock.
void DeliverTimerPeriods();
// Runs the present observer, if any.
void NotifyPresented();

}  // namespace web
