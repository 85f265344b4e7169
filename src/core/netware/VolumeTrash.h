#pragma once

#include "core/netware/VolumeMetadata.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

namespace corvane {

// The freedesktop trash folders at the top of a volume: .Trash-UID, whose info/NAME.trashinfo
// describes files/NAME. Each trashed file is a salvageable entry of the folder it was deleted
// from, deleted by UID at DeletionDate. Trashed folders and info without its file are left out.
QByteArrayList trashFolderNames(const QByteArray& volumeRoot);
QList<SalvageableEntry> readVolumeTrash(const QByteArray& volumeRoot, const QByteArrayList& folderNames);

// Names at the top of a volume that belong to the emulated server, not to its users.
bool isServerFileName(const QByteArray& name);

} // namespace corvane
