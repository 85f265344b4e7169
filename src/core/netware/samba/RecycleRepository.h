#pragma once

#include "core/netware/samba/SambaShares.h"

#include <QByteArray>
#include <QList>

namespace corvane {

// A file kept by the recycle module: a deleted file of the share.
struct RecycledFile
{
    QByteArray directory; // the folder it was deleted from (keeptree), else empty
    QByteArray name;      // its name, a "Copy #N of " of a kept version taken off
    QByteArray userFolder; // the value of a %U or %u folder of the repository, else empty
    quint64 size = 0;
    qint64 movedIn = 0; // when it went into the repository: its status change time
    quint32 ownerUid = 0;
};

// The name at the share's top that the repository lives under ("" when it lives elsewhere or
// under a name that depends on the user): never a live entry of the volume.
QByteArray repositoryTopName(const SambaShare& share);

// The files in the share's repository, whatever the user, machine or share its macros stand for.
// Links are never followed.
QList<RecycledFile> readRecycleRepository(const SambaShare& share);

} // namespace corvane
