#include "core/settings/HiveLineReader.h"

#include "core/settings/RegistryData.h"

#include <QStringDecoder>

#include <utility>

namespace corvane {

HiveLineReader::HiveLineReader(const QByteArray& file) : m_file(file)
{
    if (m_file.startsWith("\xEF\xBB\xBF")) {
        m_position = 3;
    } else if (m_file.startsWith("\xFF\xFE")) {
        m_position = 2;
        m_utf16 = true;
    }
}

std::optional<HiveLine> HiveLineReader::next()
{
    if (m_pushedBack)
        return std::exchange(m_pushedBack, std::nullopt);
    if (m_position >= m_file.size())
        return std::nullopt;
    HiveLine line = m_utf16 ? nextUtf16() : nextUtf8();
    line.number = ++m_number;
    if (line.text.endsWith(u'\r'))
        line.text.chop(1);
    if (line.problem.isEmpty() && line.text.contains(QChar(u'\0')))
        line.problem = QStringLiteral("holds a NUL character");
    if (!line.ended && !QStringView(line.text).trimmed().isEmpty())
        m_cutLine = line.number;
    return line;
}

HiveLine HiveLineReader::nextUtf8()
{
    qsizetype end = m_file.indexOf('\n', m_position);
    HiveLine line;
    line.ended = end >= 0;
    if (!line.ended)
        end = m_file.size();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    line.text = decoder.decode(QByteArrayView(m_file).sliced(m_position, end - m_position));
    if (decoder.hasError())
        line.problem = QStringLiteral("not valid UTF-8");
    m_position = end + 1;
    return line;
}

HiveLine HiveLineReader::nextUtf16()
{
    qsizetype end = m_position;
    while (end + 1 < m_file.size() && !(m_file.at(end) == '\n' && m_file.at(end + 1) == 0))
        end += 2;
    HiveLine line;
    line.ended = end + 1 < m_file.size();
    if (!line.ended)
        end = m_file.size();
    const QByteArray bytes = m_file.sliced(m_position, end - m_position);
    line.text = RegistryData::toText(bytes);
    if (bytes.size() % 2 != 0 || !line.text.isValidUtf16())
        line.problem = QStringLiteral("not valid UTF-16");
    m_position = end + 2;
    return line;
}

} // namespace corvane
