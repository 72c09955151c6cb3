#pragma once

#include "DemoData.h"

#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

// One folder of demo databases per member count, made once per run; addRows, when given, adds
// the benchmark's own rows to a new folder.
inline const QTemporaryDir& demoFolder(int members, demo::Options options,
                                       const std::function<void(const QString&)>& addRows = {}) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    auto& dir = made[members];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        options.members = members;
        demo::writeDemoDatabases(dir->path(), options);
        if (addRows) {
            addRows(dir->path());
        }
    }
    return *dir;
}
