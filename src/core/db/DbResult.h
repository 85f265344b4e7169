#pragma once

#include "core/db/DbError.h"

namespace corvane {

// A value read from the database, or the error that kept it from being read.
template <typename T> struct DbResult
{
    T value{};
    DbError error;

    bool ok() const { return !error.isError(); }
};

} // namespace corvane
