#pragma once

#include <QString>

#include <vector>

namespace corvane {

// Why a statement cannot be translated, in the words the database reports.
struct JetSyntaxError
{
    QString description;
};

enum class JetTokenKind
{
    End,
    Word,        // a bare name or keyword
    BracketName, // [a name], text without the brackets
    String,      // 'text' or "text", text without quotes, doubled quotes made single
    Number,
    DateLiteral, // #...#, text without the marks
    Symbol,      // an operator or punctuation
};

struct JetToken
{
    JetTokenKind kind = JetTokenKind::End;
    QString text;
    qsizetype start = 0; // where the token stands in the statement
    qsizetype end = 0;

    bool isWord(QLatin1StringView word) const
    {
        return kind == JetTokenKind::Word && text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QLatin1StringView symbol) const { return kind == JetTokenKind::Symbol && text == symbol; }
};

// Splits a statement into tokens, dropping blanks and comments ("--" to the end
// of the line, "/* */"). The last token is always End. Throws JetSyntaxError.
std::vector<JetToken> lexJet(const QString& statement);

} // namespace corvane
