// Writes a hive the way regedit exports one, so regedit could import it as it is.

#include "core/settings/RegistryData.h"
#include "core/settings/RegistryHive.h"

#include <QtEndian>

#include <optional>

namespace corvane {

namespace {

// regedit breaks a hex line once it reaches this many columns.
constexpr qsizetype hexLineWidth = 77;

void appendQuoted(QByteArray& out, const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            escaped += u'\\';
        escaped += c;
    }
    out += '"' + escaped.toUtf8() + '"';
}

// The text of a REG_SZ that a quoted string can carry unchanged, if it is one.
std::optional<QString> quotableText(const QByteArray& data)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data.back() != 0 || data.at(data.size() - 2) != 0)
        return std::nullopt;
    const QString text = RegistryData::toText(data.first(data.size() - 2));
    if (!RegistryHive::isWritableText(text))
        return std::nullopt;
    return text;
}

void appendHex(QByteArray& out, const QByteArray& data, qsizetype column)
{
    static constexpr char digits[] = "0123456789abcdef";
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<quint8>(data.at(i));
        out += digits[byte >> 4];
        out += digits[byte & 0xf];
        if (i + 1 == data.size())
            break;
        out += ',';
        column += 3;
        if (column >= hexLineWidth) {
            out += "\\\r\n  ";
            column = 2;
        }
    }
}

void appendData(QByteArray& out, const RegistryValue& value, qsizetype lineStart)
{
    if (value.type == RegType::Sz) {
        if (const std::optional<QString> text = quotableText(value.data)) {
            appendQuoted(out, *text);
            return;
        }
    }
    if (value.type == RegType::Dword && value.data.size() == 4) {
        out +=
            "dword:" +
            QByteArray::number(qFromLittleEndian<quint32>(value.data.constData()), 16).rightJustified(8, '0');
        return;
    }
    if (value.type == RegType::Binary)
        out += "hex:";
    else
        out += "hex(" + QByteArray::number(value.type, 16) + "):";
    appendHex(out, value.data, out.size() - lineStart);
}

} // namespace

void RegistryHive::writeKey(QByteArray& out, const Key& key) const
{
    out += '[' + m_rootName.toUtf8();
    if (!key.path.isEmpty())
        out += '\\' + key.path.toUtf8();
    out += "]\r\n";
    for (const RegistryValue& value : key.values) {
        const qsizetype lineStart = out.size();
        if (value.name.isEmpty())
            out += '@';
        else
            appendQuoted(out, value.name);
        out += '=';
        appendData(out, value, lineStart);
        out += "\r\n";
    }
    out += "\r\n";
}

QByteArray RegistryHive::serialise() const
{
    QByteArray out = QByteArray(fileHeader) + "\r\n\r\n";
    for (const auto& entry : m_keys)
        writeKey(out, entry.second);
    return out;
}

} // namespace corvane
