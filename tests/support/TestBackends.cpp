#include "TestBackends.h"

TestBackends::TestBackends()
    : m_previous(platform::backends()) {}

TestBackends::TestBackends(const std::function<void(platform::Backends&)>& changes)
    : TestBackends() {
    change(changes);
}

TestBackends::~TestBackends() {
    restore();
}

void TestBackends::change(const std::function<void(platform::Backends&)>& changes) {
    platform::Backends changed = platform::backends();
    changes(changed);
    platform::installBackends(std::move(changed));
}

void TestBackends::restore() {
    platform::installBackends(m_previous);
}

FakePortInstalled::FakePortInstalled()
    : port(std::make_shared<platform::FakeParallelPort>())
    , m_backends([state = port](platform::Backends& backends) {
        backends.createPortAccess = [state] {
            return std::make_unique<platform::FakePortAccess>(state);
        };
    }) {}

FakeSpoolerInstalled::FakeSpoolerInstalled()
    : m_backends([this](platform::Backends& backends) {
        backends.spooler = [this]() -> platform::Spooler& {
            return spooler;
        };
    }) {}
