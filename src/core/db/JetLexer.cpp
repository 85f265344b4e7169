#include "core/db/JetLexer.h"

namespace corvane {
namespace {

class JetLexer
{
public:
    explicit JetLexer(const QString& statement) : m_text(statement) {}

    std::vector<JetToken> run()
    {
        std::vector<JetToken> tokens;
        skipBlanksAndComments();
        while (m_pos < m_text.size()) {
            tokens.push_back(nextToken());
            skipBlanksAndComments();
        }
        tokens.push_back(JetToken{JetTokenKind::End, QString(), m_text.size(), m_text.size()});
        return tokens;
    }

private:
    QChar at(qsizetype pos) const { return pos < m_text.size() ? m_text.at(pos) : QChar(); }

    void skipBlanksAndComments()
    {
        while (m_pos < m_text.size()) {
            if (at(m_pos).isSpace()) {
                ++m_pos;
            } else if (at(m_pos) == u'-' && at(m_pos + 1) == u'-') {
                while (m_pos < m_text.size() && at(m_pos) != u'\n')
                    ++m_pos;
            } else if (at(m_pos) == u'/' && at(m_pos + 1) == u'*') {
                const qsizetype close = m_text.indexOf(QLatin1String("*/"), m_pos + 2);
                if (close < 0)
                    throw JetSyntaxError{QStringLiteral("Syntax error: a comment is not closed.")};
                m_pos = close + 2;
            } else {
                return;
            }
        }
    }

    JetToken nextToken()
    {
        const QChar c = at(m_pos);
        if (c == u'\'' || c == u'"')
            return quoted(JetTokenKind::String, c,
                          QStringLiteral("Syntax error in string in query expression '%1'."));
        if (c == u'[')
            return bracketName();
        if (c == u'#')
            return dateLiteral();
        if (c.isDigit() || (c == u'.' && at(m_pos + 1).isDigit()))
            return number();
        if (c.isLetter() || c == u'_')
            return word();
        return symbol();
    }

    JetToken make(JetTokenKind kind, QString text, qsizetype start) const
    {
        return JetToken{kind, std::move(text), start, m_pos};
    }

    // A quote inside is written twice.
    JetToken quoted(JetTokenKind kind, QChar quote, const QString& unclosedMessage)
    {
        const qsizetype start = m_pos++;
        QString text;
        while (true) {
            if (m_pos >= m_text.size())
                throw JetSyntaxError{unclosedMessage.arg(m_text.mid(start))};
            const QChar c = at(m_pos++);
            if (c != quote) {
                text += c;
            } else if (at(m_pos) == quote) {
                text += c;
                ++m_pos;
            } else {
                return make(kind, text, start);
            }
        }
    }

    JetToken bracketName()
    {
        const qsizetype start = m_pos;
        const qsizetype close = m_text.indexOf(u']', m_pos + 1);
        const qsizetype nextOpen = m_text.indexOf(u'[', m_pos + 1);
        if (close < 0 || (nextOpen >= 0 && nextOpen < close))
            throw JetSyntaxError{QStringLiteral("Invalid bracketing of name '%1'.").arg(m_text.mid(start))};
        m_pos = close + 1;
        const QString name = m_text.mid(start + 1, close - start - 1);
        if (name.trimmed().isEmpty())
            throw JetSyntaxError{
                QStringLiteral("Invalid bracketing of name '%1'.").arg(m_text.mid(start, m_pos - start))};
        return make(JetTokenKind::BracketName, name, start);
    }

    JetToken dateLiteral()
    {
        const qsizetype start = m_pos;
        const qsizetype close = m_text.indexOf(u'#', m_pos + 1);
        if (close < 0)
            throw JetSyntaxError{
                QStringLiteral("Syntax error in date in query expression '%1'.").arg(m_text.mid(start))};
        m_pos = close + 1;
        return make(JetTokenKind::DateLiteral, m_text.mid(start + 1, close - start - 1), start);
    }

    void skipDigits()
    {
        while (at(m_pos).isDigit())
            ++m_pos;
    }

    JetToken number()
    {
        const qsizetype start = m_pos;
        skipDigits();
        if (at(m_pos) == u'.') {
            ++m_pos;
            skipDigits();
        }
        const bool signedExponent =
            (at(m_pos + 1) == u'+' || at(m_pos + 1) == u'-') && at(m_pos + 2).isDigit();
        if ((at(m_pos) == u'e' || at(m_pos) == u'E') && (at(m_pos + 1).isDigit() || signedExponent)) {
            m_pos += signedExponent ? 2 : 1;
            skipDigits();
        }
        if (at(m_pos).isLetter() || at(m_pos) == u'_' || at(m_pos) == u'.')
            throw JetSyntaxError{QStringLiteral("Syntax error in number in query expression '%1'.")
                                     .arg(m_text.mid(start, m_pos - start + 1))};
        return make(JetTokenKind::Number, m_text.mid(start, m_pos - start), start);
    }

    JetToken word()
    {
        const qsizetype start = m_pos;
        while (at(m_pos).isLetterOrNumber() || at(m_pos) == u'_')
            ++m_pos;
        return make(JetTokenKind::Word, m_text.mid(start, m_pos - start), start);
    }

    JetToken symbol()
    {
        const qsizetype start = m_pos;
        static const QLatin1String twoCharacter[] = {QLatin1String("<="), QLatin1String(">="),
                                                     QLatin1String("<>")};
        for (const QLatin1String& op : twoCharacter) {
            if (QStringView(m_text).mid(m_pos).startsWith(op)) {
                m_pos += 2;
                return make(JetTokenKind::Symbol, op, start);
            }
        }
        static const QString single = QStringLiteral("=<>+-*/\\^&(),.;");
        const QChar c = at(m_pos);
        if (!single.contains(c))
            throw JetSyntaxError{
                QStringLiteral("Syntax error: invalid character '%1' in the statement.").arg(c)};
        ++m_pos;
        return make(JetTokenKind::Symbol, QString(c), start);
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

std::vector<JetToken> lexJet(const QString& statement)
{
    return JetLexer(statement).run();
}

} // namespace corvane
