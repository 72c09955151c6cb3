#include "Clock.h"

#include "Backends.h"

namespace platform {

QDateTime now() {
    return backends().clock();
}

} // namespace platform
