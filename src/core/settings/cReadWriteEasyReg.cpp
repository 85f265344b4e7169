#include "core/settings/cReadWriteEasyReg.h"

#include "core/common/UserInterfacePort.h"
#include "core/settings/Registry.h"
#include "core/settings/RegistryData.h"

#include <QStringList>
#include <QtEndian>

#include <limits>

namespace corvane {


namespace {

const QChar nul(u'\0');

// Splits from the front at every NUL until nothing remains, so the closing NUL
// of a list leaves one empty text at its end.
QStringList splitAtNuls(QString data)
{
    QStringList texts;
    while (!data.isEmpty()) {
        const qsizetype end = data.indexOf(nul);
        if (end < 0) {
            texts.append(data);
            break;
        }
        texts.append(data.left(end));
        data.remove(0, end + 1);
    }
    return texts;
}

QString undefinedTypeText(quint32 type)
{
    switch (type) {
    case RegType::None:
        return QStringLiteral("Not defined value_type=REG_NONE");
    case RegType::Link:
        return QStringLiteral("Not defined value_type=REG_LINK");
    case RegType::ResourceList:
        return QStringLiteral("Not defined value_type=REG_RESOURCE_LIST");
    case RegType::FullResourceDescriptor:
        return QStringLiteral("Not defined value_type=REG_FULL_RESOURCE_DESCRIPTOR");
    case RegType::ResourceRequirementsList:
        return QStringLiteral("Not defined value_type=REG_RESOURCE_REQUIREMENTS_LIST");
    default:
        return QStringLiteral("value_type=") + QString::number(type);
    }
}

QVariant convertValue(const RegistryValue& value, bool returnBinStr)
{
    switch (value.type) {
    case RegType::Sz:
    case RegType::ExpandSz:
        return RegistryData::textFromSz(value.data);
    case RegType::Binary:
    case RegType::Dword:
        return returnBinStr ? RegistryData::bytesAsCharacters(value.data)
                            : RegistryData::bytesAsHexPairs(value.data);
    case RegType::DwordBigEndian:
        return RegistryData::bytesAsCharacters(value.data);
    case RegType::MultiSz:
        return splitAtNuls(RegistryData::toText(value.data));
    default:
        return undefinedTypeText(value.type);
    }
}

QStringList additionalStrings(const QVariant& additional)
{
    if (!additional.isValid() || additional.isNull())
        return {};
    if (additional.typeId() == QMetaType::QStringList || additional.typeId() == QMetaType::QVariantList)
        return additional.toStringList();
    return {additional.toString()};
}

bool isSkippedListElement(const QString& text)
{
    return text.isEmpty() || text == QString(nul);
}

} // namespace

cReadWriteEasyReg::cReadWriteEasyReg(Registry& registry, UserInterfacePort& ui)
    : m_registry(registry), m_ui(ui)
{
}

cReadWriteEasyReg::~cReadWriteEasyReg()
{
    CloseRegistry();
}

bool cReadWriteEasyReg::CreateDirectory(const QString& sNewDirName)
{
    if (!m_open)
        return false;
    return m_registry.createKey(m_rootKey, m_subDirectory + u'\\' + sNewDirName) == RegError::Success;
}

QByteArray cReadWriteEasyReg::valueData(const QVariant& vWriteThis, quint32 type, const QVariant& additional,
                                        bool* ok) const
{
    *ok = true;
    switch (type) {
    case RegType::Sz:
    case RegType::ExpandSz:
        return RegistryData::szFromText(vWriteThis.toString());
    case RegType::Dword: {
        const double number = vWriteThis.toDouble(ok);
        *ok = *ok && number >= std::numeric_limits<qint32>::min() && number <= std::numeric_limits<qint32>::max();
        QByteArray bytes(4, Qt::Uninitialized);
        qToLittleEndian<qint32>(*ok ? qRound(number) : 0, bytes.data());
        return bytes;
    }
    case RegType::MultiSz: {
        QString data = vWriteThis.toString() + nul;
        for (const QString& text : additionalStrings(additional)) {
            if (!isSkippedListElement(text))
                data += text + nul;
        }
        return RegistryData::fromText(data + nul);
    }
    default:
        *ok = false;
        return {};
    }
}

bool cReadWriteEasyReg::CreateValue(const QString& sValueName, const QVariant& vWriteThis, quint32 ldValueDataType,
                                    const QVariant& Multi_SZ_AddtlStrings)
{
    if (!m_open)
        return false;
    const bool supported = ldValueDataType == RegType::Sz || ldValueDataType == RegType::ExpandSz ||
                           ldValueDataType == RegType::Dword || ldValueDataType == RegType::MultiSz;
    if (!supported) {
        m_ui.showMessage(QStringLiteral("Unable to process that Type of data."), UserInterfacePort::Icon::None);
        return false;
    }
    bool ok = false;
    const QByteArray data = valueData(vWriteThis, ldValueDataType, Multi_SZ_AddtlStrings, &ok);
    if (!ok)
        return false;
    return m_registry.setValue(m_rootKey, m_subDirectory, {sValueName, ldValueDataType, data}) ==
           RegError::Success;
}

bool cReadWriteEasyReg::DeleteValue(const QString& sValueName)
{
    if (!m_open)
        return false;
    return m_registry.deleteValue(m_rootKey, m_subDirectory, sValueName) == RegError::Success;
}

QVariant cReadWriteEasyReg::GetValue(const QString& VarName, bool ReturnBinStr)
{
    if (!m_open)
        return {};
    RegistryValue value;
    const long result = m_registry.queryValue(m_rootKey, m_subDirectory, VarName, &value);
    if (result == RegError::FileNotFound)
        return {};
    if (result == RegError::AccessDenied)
        return QStringLiteral("Access Denied");
    if (result != RegError::Success)
        return QString(QStringLiteral("RegQueryValueEx Returned : (") + QString::number(result) + u')');
    return convertValue(value, ReturnBinStr);
}

bool cReadWriteEasyReg::OpenRegistry(quint32 RtHKey, const QString& SbDr)
{
    if (RtHKey == 0) {
        m_open = false;
        return false;
    }
    m_rootKey = RtHKey;
    m_subDirectory = SbDr;
    if (m_open) {
        CloseRegistry();
        m_open = false;
    }
    m_keyHandleOpen = m_registry.openKey(m_rootKey, m_subDirectory) == RegError::Success;
    m_open = m_keyHandleOpen;
    return m_open;
}

bool cReadWriteEasyReg::OneBackOnKey()
{
    const qsizetype lastBackslash = m_subDirectory.lastIndexOf(u'\\');
    if (lastBackslash < 0)
        return false;
    const QString parent = m_subDirectory.left(lastBackslash);
    CloseRegistry();
    return OpenRegistry(m_rootKey, parent);
}

bool cReadWriteEasyReg::CloseRegistry()
{
    // Closing works only on a handle that is open, as with the registry's own call.
    if (!m_keyHandleOpen)
        return false;
    m_keyHandleOpen = false;
    m_open = false;
    return true;
}

} // namespace corvane
