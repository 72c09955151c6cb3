#include "PortAccess.h"

#include "PortAccessPpdev.h"

#include <utility>

namespace platform {
namespace {

PortAccessFactory& installed() {
    static PortAccessFactory current;
    return current;
}

} // namespace

std::unique_ptr<PortAccess> createSystemPortAccess() {
    return std::make_unique<PpdevPortAccess>();
}

std::unique_ptr<PortAccess> createPortAccess() {
    const PortAccessFactory& factory = installed();
    return factory ? factory() : createSystemPortAccess();
}

PortAccessFactory setPortAccessFactory(PortAccessFactory factory) {
    return std::exchange(installed(), std::move(factory));
}

} // namespace platform
