#include "core/netware/SystemUsers.h"

#include <QFile>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace corvane {

namespace {

constexpr qint64 NamesKeptMilliseconds = 60 * 1000;
constexpr quint32 NoUid = 0xFFFFFFFF;

// Calls getpwuid_r or getpwnam_r with a buffer that grows until the entry fits.
template <typename Lookup> std::optional<passwd> findUser(Lookup lookup, std::vector<char>& buffer)
{
    buffer.resize(1024);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < 1024 * 1024) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (error != 0 || !found)
            return std::nullopt;
        return entry;
    }
}

} // namespace

quint32 objectIdOfUid(quint32 uid)
{
    return uid == NoUid ? 0 : uid + 1;
}

std::optional<quint32> uidOfObjectId(quint32 objectId)
{
    if (objectId == 0)
        return std::nullopt;
    return objectId - 1;
}

std::optional<QString> SystemUserNames::nameOf(quint32 uid)
{
    if (!m_age.isValid() || m_age.hasExpired(NamesKeptMilliseconds)) {
        m_names.clear();
        m_age.start();
    }
    const auto known = m_names.constFind(uid);
    if (known != m_names.cend())
        return *known;
    std::vector<char> buffer;
    const std::optional<passwd> entry = findUser(
        [uid](passwd* result, char* data, std::size_t size, passwd** found) {
            return getpwuid_r(static_cast<uid_t>(uid), result, data, size, found);
        },
        buffer);
    const std::optional<QString> name =
        entry ? std::optional<QString>(QFile::decodeName(entry->pw_name)) : std::nullopt;
    m_names.insert(uid, name);
    return name;
}

std::optional<quint32> SystemUserNames::uidOf(const QString& userName)
{
    const QByteArray name = QFile::encodeName(userName);
    std::vector<char> buffer;
    const std::optional<passwd> entry =
        findUser([&name](passwd* result, char* data, std::size_t size,
                         passwd** found) { return getpwnam_r(name.constData(), result, data, size, found); },
                 buffer);
    return entry ? std::optional<quint32>(entry->pw_uid) : std::nullopt;
}

} // namespace corvane
