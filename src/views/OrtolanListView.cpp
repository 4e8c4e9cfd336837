#include "app/Ortolan.h"

namespace ortolan {

void Ortolan::connectListViewCommands() {}

} // namespace ortolan
