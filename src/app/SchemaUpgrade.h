#pragma once
// A database of an earlier version brought up to this one's where a user is there
// (store/SchemaUpgrade.h does the work): told what was done, or why it failed.

#include "core/Prompter.h"
#include "store/SchemaUpgrade.h"

namespace vx {

// False: the database is as it was, and the program cannot work on it.
bool upgradeSchemaTelling(Database& db, const QString& folder, Prompter& prompter);

} // namespace vx
