#pragma once

struct sqlite3;

namespace corvane {

// Registers on one connection the SQL functions that translated statements call
// (jetlike, jetleft, jetdateadd, jetformat, ...: Jet's functions under "jet"
// names, so SQLite's own date(), time(), instr(), format() keep their meaning).
// Also stops SQLite from reading an unknown "name" as a string, so that a
// misspelt bracketed name fails instead of comparing with its own text.
void registerJetFunctions(sqlite3* db);

} // namespace corvane
