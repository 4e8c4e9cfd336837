#include "Clock.h"

namespace ortolan::Clock {

namespace {
std::function<QDateTime()>& source() {
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

QDateTime now() {
    return source() ? source()() : QDateTime::currentDateTime();
}

void setForTesting(std::function<QDateTime()> s) {
    source() = std::move(s);
}

} // namespace ortolan::Clock
