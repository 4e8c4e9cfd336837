#include "app/Ortolan.h"

namespace ortolan {

void Ortolan::connectCalendarCommands() {}

} // namespace ortolan
