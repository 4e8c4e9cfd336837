#include "Ortolan.h"

namespace ortolan {

Ortolan::Ortolan(QStringList arguments, QWidget* parent) : QMainWindow(parent), arguments_(std::move(arguments)) {
    setObjectName(QStringLiteral("Ortolan"));
    setWindowTitle(QStringLiteral("Ortolan"));
}

Ortolan::~Ortolan() = default;

void Ortolan::startUp() { show(); }

} // namespace ortolan
