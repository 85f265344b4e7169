#pragma once

#include <QString>

#include <vector>

namespace corvane {

// A pattern of Jet's LIKE: * any run of characters, ? one character, # one
// digit, [abc] [a-c] one of a list, [!a-c] one not in it. Comparison ignores case.
class JetLikePattern
{
public:
    // Throws JetLikePatternError for an unclosed "[".
    explicit JetLikePattern(const QString& pattern);

    bool matches(const QString& text) const;

private:
    struct Element
    {
        enum class Kind
        {
            AnyRun,
            AnyOne,
            Digit,
            List,
            Literal,
        };
        Kind kind;
        QString characters; // Literal: the character; List: single characters
        QString rangeStarts;
        QString rangeEnds;
        bool negated = false;

        bool accepts(QChar c) const;
    };

    std::vector<Element> m_elements;
};

struct JetLikePatternError
{
};

} // namespace corvane
