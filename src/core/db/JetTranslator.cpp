#include "core/db/JetTranslator.h"

#include "core/db/DbError.h"
#include "core/db/JetParser.h"

namespace corvane {

JetTranslation translateJet(const QString& statement, const TableColumns& columnsOf, JetEngine engine)
{
    JetTranslation translation;
    try {
        JetParser parser(statement, columnsOf, engine);
        translation.sql = parser.translate();
        translation.rowKeyedSql = parser.rowKeyedSql();
    } catch (const JetSyntaxError& error) {
        translation.errorNumber = DbErrorNumber::SyntaxError;
        translation.errorDescription = error.description;
    }
    return translation;
}

} // namespace corvane
