#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <optional>

namespace corvane {

// A Linux user's object ID is its uid + 1: ID 0 stays "nobody" and root becomes ID 1. The uid
// (uid_t)-1, which names no user, gives 0 as well.
quint32 objectIdOfUid(quint32 uid);
std::optional<quint32> uidOfObjectId(quint32 objectId);

// The system's user database, asked once per uid and kept for a minute, like the bindery a server
// holds in memory: asking it afresh for every file would cost more than reading the file.
class SystemUserNames
{
public:
    std::optional<QString> nameOf(quint32 uid);
    static std::optional<quint32> uidOf(const QString& userName);

private:
    QHash<quint32, std::optional<QString>> m_names; // unknown uids are kept too
    QElapsedTimer m_age;
};

} // namespace corvane
