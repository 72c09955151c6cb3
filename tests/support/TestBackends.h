#pragma once

#include "Backends.h"
#include "FakePortAccess.h"
#include "FakeSpooler.h"

#include <functional>
#include <memory>

// Changes the installed back ends for a test and puts back, when it goes out of scope (or is
// restored earlier), the ones installed when it was made.
class TestBackends {
public:
    TestBackends();
    explicit TestBackends(const std::function<void(platform::Backends&)>& changes);
    ~TestBackends();
    TestBackends(const TestBackends&) = delete;
    TestBackends& operator=(const TestBackends&) = delete;

    void change(const std::function<void(platform::Backends&)>& changes);
    void restore();

private:
    platform::Backends m_previous;
};

// A fake parallel port as the port-access back end, for the lifetime of the object.
class FakePortInstalled {
public:
    FakePortInstalled();

    std::shared_ptr<platform::FakeParallelPort> port;

private:
    TestBackends m_backends;
};

// A fake spooler as the print spooler, for the lifetime of the object.
class FakeSpoolerInstalled {
public:
    FakeSpoolerInstalled();

    platform::FakeSpooler spooler;

private:
    TestBackends m_backends;
};
