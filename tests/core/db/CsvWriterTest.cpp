#include "core/db/CsvWriter.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

TEST(CsvWriterTest, NamesThenRowsAllQuotedCommaSeparatedEndingInCrLf)
{
    QString text;
    QTextStream out(&text);
    CsvWriter csv(out);
    csv.writeFieldNames({QStringLiteral("Directory"), QStringLiteral("Bytes")});
    csv.writeRow({QStringLiteral("\\\\S\\V:DATA"), qlonglong(12)});
    csv.writeRow({QStringLiteral("a, b"), QVariant()});
    csv.writeRow({QString(), 2.5});
    out.flush();
    EXPECT_EQ(text, QStringLiteral("\"Directory\",\"Bytes\"\r\n"
                                   "\"\\\\S\\V:DATA\",\"12\"\r\n"
                                   "\"a, b\",\"\"\r\n"
                                   "\"\",\"2.5\"\r\n"));
}

TEST(CsvWriterTest, QuotesInsideAValueAreDoubled)
{
    EXPECT_EQ(CsvWriter::line({QStringLiteral("say \"hi\""), QStringLiteral("\"")}),
              QStringLiteral("\"say \"\"hi\"\"\",\"\"\"\""));
    EXPECT_EQ(CsvWriter::line({QStringLiteral("O'Brien")}), QStringLiteral("\"O'Brien\""));
    EXPECT_EQ(CsvWriter::line({}), QString());
}

} // namespace
