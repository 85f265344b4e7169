#include "core/settings/RegistryData.h"

#include <QtEndian>

namespace corvane::RegistryData {

QByteArray fromText(const QString& text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), bytes.data() + 2 * i);
    return bytes;
}

QString toText(const QByteArray& utf16le)
{
    QString text(utf16le.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(utf16le.constData() + 2 * i));
    return text;
}

QByteArray szFromText(const QString& text)
{
    return fromText(text + QChar(u'\0'));
}

QString textFromSz(const QByteArray& data)
{
    QString text = toText(data);
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

QString bytesAsCharacters(const QByteArray& raw)
{
    return QString::fromLatin1(raw);
}

QString bytesAsHexPairs(const QByteArray& raw)
{
    QString text;
    text.reserve(raw.size() * 3);
    for (const char byte : raw)
        text += QString::number(static_cast<quint8>(byte), 16).toUpper().rightJustified(2, u'0') + u' ';
    return text;
}

} // namespace corvane::RegistryData
