#pragma once

#include "core/netware/NetWareClient.h"

#include <QString>

namespace corvane {

// The name of an object ID over an open connection: from the server's bindery, or from the
// directory service through a context made for this one lookup. Any failure gives the empty text.
QString GetBinderyObjectName(quint32 objectId, quint32 connection, NetWareClient& client);
QString GetNdsObjectName(quint32 objectId, quint32 connection, NetWareClient& client);

} // namespace corvane
