#pragma once

namespace corvane {

// Sets SQLite up for this program, before the first connection starts the library:
//   - multi-thread mode: no connection or statement is ever used by two threads at once (the
//     insert thread has the connection to itself until the inserts are settled), so SQLite need
//     not lock one around every call, as its serialized mode does;
//   - no memory statistics: nothing reads them, and keeping them locks around every allocation.
// Called first in main(). A library already started refuses the setup and keeps its serialized
// mode, which is as safe and only slower, so a refusal is left as it is.
void configureSqliteLibrary();

} // namespace corvane
