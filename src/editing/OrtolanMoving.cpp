#include "app/Ortolan.h"

namespace ortolan {
void Ortolan::connectMovingCommands() {}
} // namespace ortolan
namespace ortolan {
void Ortolan::moveUpNode(int, int, bool*) {}
void Ortolan::MENU_MoveUp_Click() {}
void Ortolan::MENU_MoveDown_Click() {}
} // namespace ortolan
