#pragma once

namespace corvane {

struct DatabaseUpdate;

// The daily tally: for every stretch of the scan date's Detail rows that belongs to one
// directory, one DirActivity row with that directory, the scan date and the day's counts of
// deleted, created, modified, opened and archived files of the directory (a count of 0 is
// left unset). Needs the Detail and DirActivity row sets; ends early on a stop request.
void TallyDirectoryActivity(DatabaseUpdate& update);

} // namespace corvane
