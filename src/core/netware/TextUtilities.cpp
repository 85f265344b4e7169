#include "core/netware/TextUtilities.h"

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// Positions count from 1, as in the file-spec rules.
QString textAt(const QString& text, qsizetype position)
{
    if (position < 1 || position > text.size())
        return {};
    return QString(text.at(position - 1));
}

bool hasDotAt(const QString& text, qsizetype position)
{
    return textAt(text, position) == u"."_s;
}

// 0 when the text has no ".".
qsizetype firstDotPosition(const QString& text)
{
    return text.indexOf(u'.') + 1;
}

} // namespace

bool MatchFileSpec(const QString& spec, const QString& name)
{
    if (spec == u"*"_s || spec == u"*.*"_s)
        return true;
    QString candidate;
    qsizetype offset = 0; // shifts spec positions onto the name once "*." has aligned the dots
    const qsizetype length = spec.size();
    for (qsizetype i = 1; i <= length; ++i) {
        const QChar c = spec.at(i - 1);
        if (c == u'?') {
            candidate += textAt(name, i + offset);
        } else if (c != u'*') {
            candidate += c;
        } else if (hasDotAt(spec, i + 1)) {
            // The name's own base stands in for everything up to the spec's ".".
            candidate = name.left(firstDotPosition(name));
            offset = firstDotPosition(name) - firstDotPosition(spec);
            ++i;
        } else if (i == 1) {
            return true;
        } else if (hasDotAt(spec, i - 1)) {
            candidate += name.mid(firstDotPosition(name));
            break;
        }
        // Any other "*" stands for nothing.
    }
    return candidate.toLower() == name.toLower();
}

QString BytesToText(QByteArrayView bytes)
{
    const std::size_t length = qstrnlen(bytes.data(), static_cast<std::size_t>(bytes.size()));
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(length));
}

QString RemoveSpaces(const QString& text)
{
    QString result = text;
    return result.remove(u' ');
}

} // namespace corvane
