#include "app/Ortolan.h"

namespace ortolan {

void Ortolan::connectCategoryCommands() {}

} // namespace ortolan
