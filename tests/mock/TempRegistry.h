#pragma once

#include "core/settings/Registry.h"

#include <QTemporaryDir>

namespace corvane::test {

// A registry whose two hives live in a fresh temporary folder.
struct TempRegistry
{
    QTemporaryDir folder;
    Registry registry{Registry::Location{folder.path(), folder.path()}};

    // Another process's view of the same hives.
    Registry reopen() const { return Registry(Registry::Location{folder.path(), folder.path()}); }
};

} // namespace corvane::test
