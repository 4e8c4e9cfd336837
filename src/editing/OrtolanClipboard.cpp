#include "app/Ortolan.h"

namespace ortolan {
void Ortolan::connectClipboardCommands() {}
} // namespace ortolan
namespace ortolan {
void Ortolan::MENU_INSERT_Delete_Click() {}
void Ortolan::MENU_Cut_Click() {}
void Ortolan::MENU_Paste_Click() {}
} // namespace ortolan
