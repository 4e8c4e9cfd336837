#pragma once

#include <functional>
#include <QDateTime>

namespace ortolan {

// The local date and time as the program's dated files and log lines see it. Tests set a fixed
// time instead of depending on the wall clock.
namespace Clock {
QDateTime now();
void setForTesting(std::function<QDateTime()> source); // an empty function restores the wall clock
} // namespace Clock

} // namespace ortolan
