#include "core/netware/UserNames.h"

#include "core/netware/TextUtilities.h"

namespace corvane {

QString GetBinderyObjectName(quint32 objectId, quint32 connection, NetWareClient& client)
{
    BinderyNameBuffer name{};
    quint16 unusedType = 0;
    if (client.NWGetObjectName(connection, objectId, name, unusedType) != NWResult::Success)
        return {};
    return BytesToText(name);
}

QString GetNdsObjectName(quint32 objectId, quint32 connection, NetWareClient& client)
{
    quint32 context = 0;
    client.NWDSCreateContextHandle(context);
    DirectoryServiceNameBuffer name{};
    const quint32 result = client.NWDSMapIDToName(context, connection, objectId, name);
    client.NWDSFreeContext(context);
    if (result != NWResult::Success)
        return {};
    return BytesToText(name);
}

} // namespace corvane
