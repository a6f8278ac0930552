#pragma once
// What only a SQLite file has (its header, its journal, its file lock, its permission bits, its
// renames) has nothing to prove when the suite runs on a server.

#include "TestInstallation.h"

#include <QTest>

#define VX_SQLITE_FILE_ONLY(reason)                                                                                    \
    do {                                                                                                               \
        if (vx::test::TestInstallation::onServer())                                                                    \
            QSKIP("SQLite file only: " reason);                                                                        \
    } while (false)
