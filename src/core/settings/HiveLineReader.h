#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>

namespace corvane {

struct HiveLine
{
    int number = 0;
    QString text;
    QString problem;   // why the line cannot be read at all; empty when it can
    bool ended = true; // false for a last line that stops without a line break
};

// Splits a hive file into lines: UTF-8 (BOM optional) or UTF-16LE behind its BOM,
// CRLF or LF. A line that is not valid in its encoding or holds a NUL comes with
// its problem instead of failing the rest.
class HiveLineReader
{
public:
    explicit HiveLineReader(const QByteArray& file);

    std::optional<HiveLine> next();
    // The line next() returns next time, for a reader that looked one line too far.
    void pushBack(HiveLine line) { m_pushedBack = std::move(line); }
    // The last line when the file stops in the middle of it, else 0.
    int cutLine() const { return m_cutLine; }

private:
    HiveLine nextUtf8();
    HiveLine nextUtf16();

    const QByteArray m_file;
    qsizetype m_position = 0;
    bool m_utf16 = false;
    int m_number = 0;
    int m_cutLine = 0;
    std::optional<HiveLine> m_pushedBack;
};

} // namespace corvane
