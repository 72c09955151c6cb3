#include "PortAccess.h"

#include "Backends.h"
#include "PortAccessPpdev.h"

namespace platform {

std::unique_ptr<PortAccess> createSystemPortAccess() {
    return std::make_unique<PpdevPortAccess>();
}

std::unique_ptr<PortAccess> createPortAccess() {
    return backends().createPortAccess();
}

} // namespace platform
