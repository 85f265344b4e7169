#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace corvane {

// Root keys, numbered as the Windows registry numbers its predefined handles.
namespace RootKey {
constexpr quint32 ClassesRoot = 0x80000000u;
constexpr quint32 CurrentUser = 0x80000001u;
constexpr quint32 LocalMachine = 0x80000002u;
constexpr quint32 Users = 0x80000003u;
} // namespace RootKey

// Value types by number, as the Windows registry defines them.
namespace RegType {
constexpr quint32 None = 0;
constexpr quint32 Sz = 1;
constexpr quint32 ExpandSz = 2;
constexpr quint32 Binary = 3;
constexpr quint32 Dword = 4;
constexpr quint32 DwordBigEndian = 5;
constexpr quint32 Link = 6;
constexpr quint32 MultiSz = 7;
constexpr quint32 ResourceList = 8;
constexpr quint32 FullResourceDescriptor = 9;
constexpr quint32 ResourceRequirementsList = 10;
} // namespace RegType

// Result codes, the Win32 error numbers the registry calls return.
namespace RegError {
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6;
constexpr long InvalidParameter = 87;
constexpr long CantWrite = 1013;
} // namespace RegError

// One named value. The data are the bytes the registry stores: texts (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-16LE with their terminating NULs, a
// REG_DWORD as four little-endian bytes, every other type as given.
struct RegistryValue
{
    QString name;
    quint32 type = RegType::None;
    QByteArray data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

} // namespace corvane
