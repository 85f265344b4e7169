#include "core/db/postgresql/DatabaseName.h"

#include <QStringList>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

const QString hiddenPassword = u"********"_s;

bool isConnectionUri(const QString& text)
{
    return text.startsWith(u"postgresql://"_s) || text.startsWith(u"postgres://"_s);
}

// user:password@ in the part between the scheme and the first / or ?.
QString maskedUserInfo(const QString& authority)
{
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at < 0)
        return authority;
    const qsizetype colon = authority.left(at).indexOf(u':');
    if (colon < 0)
        return authority;
    return authority.left(colon + 1) + hiddenPassword + authority.mid(at);
}

QString maskedUriParameters(const QString& query)
{
    QStringList parameters = query.split(u'&');
    for (QString& parameter : parameters) {
        const qsizetype equals = parameter.indexOf(u'=');
        if (equals > 0 && parameter.left(equals).compare(u"password"_s, Qt::CaseInsensitive) == 0)
            parameter = parameter.left(equals + 1) + hiddenPassword;
    }
    return parameters.join(u'&');
}

QString maskedUri(const QString& uri)
{
    const qsizetype start = uri.indexOf(u"://"_s) + 3;
    qsizetype end = start;
    while (end < uri.size() && uri[end] != u'/' && uri[end] != u'?')
        ++end;
    QString masked = uri.left(start) + maskedUserInfo(uri.mid(start, end - start));
    const qsizetype question = uri.indexOf(u'?', end);
    if (question < 0)
        return masked + uri.mid(end);
    return masked + uri.mid(end, question + 1 - end) + maskedUriParameters(uri.mid(question + 1));
}

// The end of a key=value string's value starting at position: a quoted one (with backslash
// escapes) runs to its closing quote, a plain one to the next blank.
qsizetype valueEnd(const QString& text, qsizetype position)
{
    if (position < text.size() && text[position] == u'\'') {
        for (++position; position < text.size() && text[position] != u'\''; ++position) {
            if (text[position] == u'\\')
                ++position;
        }
        return std::min(position + 1, text.size());
    }
    while (position < text.size() && !text[position].isSpace())
        ++position;
    return position;
}

qsizetype skipBlanks(const QString& text, qsizetype position)
{
    while (position < text.size() && text[position].isSpace())
        ++position;
    return position;
}

QString maskedKeywordValues(const QString& text)
{
    QString masked;
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype keyStart = skipBlanks(text, position);
        qsizetype keyEnd = keyStart;
        while (keyEnd < text.size() && text[keyEnd] != u'=' && !text[keyEnd].isSpace())
            ++keyEnd;
        const qsizetype equals = skipBlanks(text, keyEnd);
        if (equals >= text.size() || text[equals] != u'=')
            return masked + text.mid(position);
        const qsizetype valueStart = skipBlanks(text, equals + 1);
        const qsizetype end = valueEnd(text, valueStart);
        masked += text.mid(position, valueStart - position);
        const bool password = text.mid(keyStart, keyEnd - keyStart) == u"password"_s;
        masked += password ? hiddenPassword : text.mid(valueStart, end - valueStart);
        position = end;
    }
    return masked;
}

} // namespace

QString DatabaseName::shown() const
{
    return isPostgreSql() ? maskedConnectionText(text) : text;
}

DatabaseName parseDatabaseName(const QString& text, const QString& defaultPath)
{
    if (text.isEmpty())
        return {DatabaseName::Engine::Sqlite, defaultPath};
    if (isConnectionUri(text) || text.contains(u'='))
        return {DatabaseName::Engine::PostgreSql, text};
    return {DatabaseName::Engine::Sqlite, text};
}

DatabaseName chooseDatabaseName(const QString& commandLineOption, const QString& environmentValue,
                                const QString& storedSetting, const QString& defaultPath)
{
    for (const QString& text : {commandLineOption, environmentValue, storedSetting}) {
        if (!text.isEmpty())
            return parseDatabaseName(text, defaultPath);
    }
    return parseDatabaseName({}, defaultPath);
}

QString databaseEnvironmentVariable()
{
    return u"CORVANE_NET_DATABASE"_s;
}

QString maskedConnectionText(const QString& text)
{
    if (isConnectionUri(text))
        return maskedUri(text);
    if (text.contains(u'='))
        return maskedKeywordValues(text);
    return text;
}

} // namespace corvane
