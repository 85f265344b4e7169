#pragma once

#include "core/db/DbError.h"

#include <QString>

namespace corvane {

// A failed statement's SQLSTATE and primary message in the numbers and words the program
// reports for cv.mdb: a change refused by a read-only session or a missing privilege is the
// read-only error, an unknown table, column or function and a syntax error are those of the
// Jet engine, Jet's own function errors keep their words.
DbError postgresError(const QString& sqlState, const QString& message);

// The connection could not be made or was lost: libpq's reason, with the password hidden.
DbError connectionLostError(const QString& reason);

// A statement stopped by statement_timeout.
DbError statementTimeoutError();

} // namespace corvane
