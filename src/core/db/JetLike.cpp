#include "core/db/JetLike.h"

#include <optional>

namespace corvane {
namespace {

QChar folded(QChar c)
{
    return c.toCaseFolded();
}

} // namespace

JetLikePattern::JetLikePattern(const QString& pattern)
{
    using Kind = Element::Kind;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'*') {
            m_elements.push_back(Element{Kind::AnyRun, {}, {}, {}, false});
        } else if (c == u'?') {
            m_elements.push_back(Element{Kind::AnyOne, {}, {}, {}, false});
        } else if (c == u'#') {
            m_elements.push_back(Element{Kind::Digit, {}, {}, {}, false});
        } else if (c == u'[') {
            const qsizetype close = pattern.indexOf(u']', i + 1);
            if (close < 0)
                throw JetLikePatternError{};
            QStringView list = QStringView(pattern).mid(i + 1, close - i - 1);
            i = close;
            if (list.isEmpty())
                continue; // "[]" stands for the empty string
            Element element{Kind::List, {}, {}, {}, list.size() > 1 && list.front() == u'!'};
            if (element.negated)
                list = list.mid(1);
            for (qsizetype k = 0; k < list.size(); ++k) {
                if (k + 2 < list.size() && list[k + 1] == u'-') {
                    element.rangeStarts += folded(list[k]);
                    element.rangeEnds += folded(list[k + 2]);
                    k += 2;
                } else {
                    element.characters += folded(list[k]);
                }
            }
            m_elements.push_back(element);
        } else {
            m_elements.push_back(Element{Kind::Literal, QString(folded(c)), {}, {}, false});
        }
    }
}

bool JetLikePattern::Element::accepts(QChar c) const
{
    switch (kind) {
    case Kind::AnyRun:
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return c >= u'0' && c <= u'9';
    case Kind::Literal:
        return folded(c) == characters[0];
    case Kind::List:
        break;
    }
    const QChar f = folded(c);
    bool inList = characters.contains(f);
    for (qsizetype i = 0; i < rangeStarts.size() && !inList; ++i)
        inList = f >= rangeStarts[i] && f <= rangeEnds[i];
    return inList != negated;
}

// Single-character elements and runs: the classic backtracking to the last run
// finds a match whenever there is one.
bool JetLikePattern::matches(const QString& text) const
{
    const size_t count = m_elements.size();
    size_t p = 0;
    qsizetype s = 0;
    std::optional<size_t> lastRun;
    qsizetype runEnd = 0;
    while (s < text.size()) {
        if (p < count && m_elements[p].kind == Element::Kind::AnyRun) {
            lastRun = p++;
            runEnd = s;
        } else if (p < count && m_elements[p].accepts(text[s])) {
            ++p;
            ++s;
        } else if (lastRun) {
            p = *lastRun + 1;
            s = ++runEnd;
        } else {
            return false;
        }
    }
    while (p < count && m_elements[p].kind == Element::Kind::AnyRun)
        ++p;
    return p == count;
}

} // namespace corvane
