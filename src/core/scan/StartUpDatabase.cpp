#include "core/scan/StartUpDatabase.h"

#include "core/db/DatabaseOpening.h"
#include "core/settings/SettingsStore.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

const QString systemSection = u"System"_s;

// The value of the option at position (the one after it), moved into value; false with why.
bool takeOptionValue(QStringList& arguments, qsizetype position, QString& value, QString* problem)
{
    const QString option = arguments.at(position);
    if (!value.isNull()) {
        *problem = option + u" is given twice"_s;
        return false;
    }
    if (position + 1 >= arguments.size() || arguments.at(position + 1).isEmpty()) {
        *problem = option + (option == u"--database"_s ? u" needs the name of a database"_s
                                                       : u" needs the name of a station"_s);
        return false;
    }
    value = arguments.at(position + 1);
    arguments.remove(position, 2);
    return true;
}

DatabaseName parsedName(const QString& databaseName)
{
    return parseDatabaseName(databaseName, databaseName);
}

} // namespace

std::optional<AuditDatabaseChoice> takeDatabaseOptions(QStringList& arguments, QString* problem)
{
    AuditDatabaseChoice options;
    for (qsizetype position = 1; position < arguments.size();) {
        const QString& argument = arguments.at(position);
        QString* value = argument == u"--database"_s  ? &options.text
                         : argument == u"--station"_s ? &options.station
                                                      : nullptr;
        if (value == nullptr)
            ++position;
        else if (!takeOptionValue(arguments, position, *value, problem))
            return std::nullopt;
    }
    return options;
}

AuditDatabaseChoice startUpChoice(const AuditDatabaseChoice& options, const QString& environmentValue,
                                  const SettingsStore& store)
{
    const QString stored = store.get(systemSection, u"Database"_s, QString());
    const QString station =
        options.station.isEmpty() ? store.get(systemSection, u"Station"_s, QString()) : options.station;
    return {chooseDatabaseName(options.text, environmentValue, stored, QString()).text, station};
}

void chooseStartUpDatabase(const AuditDatabaseChoice& options, const SettingsStore& store)
{
    const QByteArray variable = databaseEnvironmentVariable().toUtf8();
    chooseAuditDatabase(startUpChoice(options, qEnvironmentVariable(variable.constData()), store));
}

bool isMissingDatabaseFile(const QString& databaseName)
{
    return !parsedName(databaseName).isPostgreSql() && !FileExists(databaseName);
}

QString shownDatabaseName(const QString& databaseName)
{
    return parsedName(databaseName).shown();
}

} // namespace corvane
