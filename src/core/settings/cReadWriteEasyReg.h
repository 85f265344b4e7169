#pragma once

#include "core/settings/RegistryTypes.h"

#include <QVariant>

namespace corvane {

class Registry;
class UserInterfacePort;

// Works on one open registry key at a time: open a key below a root key, create
// sub-keys, write, read and delete values, step back to the parent key, close.
// Every value operation fails while no key is open.
class cReadWriteEasyReg
{
public:
    cReadWriteEasyReg(Registry& registry, UserInterfacePort& ui);
    ~cReadWriteEasyReg();
    cReadWriteEasyReg(const cReadWriteEasyReg&) = delete;
    cReadWriteEasyReg& operator=(const cReadWriteEasyReg&) = delete;

    bool CreateDirectory(const QString& sNewDirName);
    // Types 1 and 2 (text), 4 (32-bit number) and 7 (list of texts) only;
    // Multi_SZ_AddtlStrings is a text or a list of texts appended to a type 7 value.
    bool CreateValue(const QString& sValueName, const QVariant& vWriteThis, quint32 ldValueDataType,
                     const QVariant& Multi_SZ_AddtlStrings = {});
    bool DeleteValue(const QString& sValueName);
    // An invalid QVariant for "no value", a QString, or a QStringList for type 7.
    QVariant GetValue(const QString& VarName, bool ReturnBinStr);

    quint32 RegistryRootKey() const { return m_rootKey; }
    QString SubDirectory() const { return m_subDirectory; }

    bool OpenRegistry(quint32 RtHKey, const QString& SbDr);
    // Moves to the parent key. Fails, changing nothing, when SubDirectory has no
    // backslash.
    bool OneBackOnKey();
    bool CloseRegistry();

private:
    QByteArray valueData(const QVariant& vWriteThis, quint32 type, const QVariant& additional, bool* ok) const;

    Registry& m_registry;
    UserInterfacePort& m_ui;
    quint32 m_rootKey = 0;
    QString m_subDirectory;
    bool m_keyHandleOpen = false;
    bool m_open = false;
};

} // namespace corvane
