#pragma once

#include <QString>

namespace corvane {

// Which audit database a text names: empty is cv.mdb in the application folder; a libpq
// connection URI (postgresql://, postgres://) or key=value string (service=corvane) is a
// PostgreSQL database; anything else is the path of an SQLite file.
struct DatabaseName
{
    enum class Engine
    {
        Sqlite,
        PostgreSql
    };

    Engine engine = Engine::Sqlite;
    // The file's path, or the connection string as given.
    QString text;

    bool isPostgreSql() const { return engine == Engine::PostgreSql; }
    // The text for messages, any password in it hidden.
    QString shown() const;
};

// defaultPath stands for an empty text.
DatabaseName parseDatabaseName(const QString& text, const QString& defaultPath);

// The first of the options given that is not empty: cv --database, then the environment's
// CORVANE_NET_DATABASE, then the stored setting; the default when none is.
DatabaseName chooseDatabaseName(const QString& commandLineOption, const QString& environmentValue,
                                const QString& storedSetting, const QString& defaultPath);

// The name of the environment variable that names the audit database.
QString databaseEnvironmentVariable();

// A connection string with the value of its password (key=value, or the URI's user info or
// password parameter) replaced by asterisks; other texts as they are.
QString maskedConnectionText(const QString& text);

} // namespace corvane
