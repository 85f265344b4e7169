#include "core/scan/StartUpDatabase.h"

#include "core/settings/SettingsStore.h"
#include "mock/TempRegistry.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

TEST(DatabaseOptionsTest, TheOptionsAreTakenOutWhereverTheyStandAndTheJobKeepsItsOwn)
{
    QStringList arguments{u"cv"_s,        u"--database"_s, u"service=corvane"_s, u"--query"_s, u"SELECT 1"_s,
                          u"--station"_s, u"alpha"_s};
    QString problem;
    const std::optional<AuditDatabaseChoice> options = takeDatabaseOptions(arguments, &problem);
    ASSERT_TRUE(options) << problem.toStdString();
    EXPECT_EQ(options->text, u"service=corvane"_s);
    EXPECT_EQ(options->station, u"alpha"_s);
    EXPECT_EQ(arguments, (QStringList{u"cv"_s, u"--query"_s, u"SELECT 1"_s}));

    QStringList window{u"cv"_s, u"--station"_s, u"beta"_s, u"-t"_s};
    ASSERT_TRUE(takeDatabaseOptions(window, &problem));
    EXPECT_EQ(window, (QStringList{u"cv"_s, u"-t"_s}));

    // The program's own name is never an option.
    QStringList none{u"--database"_s};
    const std::optional<AuditDatabaseChoice> nothing = takeDatabaseOptions(none, &problem);
    ASSERT_TRUE(nothing);
    EXPECT_TRUE(nothing->text.isNull());
}

TEST(DatabaseOptionsTest, AnOptionWithoutItsValueOrGivenTwiceIsRefused)
{
    const auto refusal = [](QStringList arguments) {
        QString problem;
        return takeDatabaseOptions(arguments, &problem) ? u"<taken>"_s : problem;
    };
    EXPECT_EQ(refusal({u"cv"_s, u"--scan"_s, u"--database"_s}), u"--database needs the name of a database"_s);
    EXPECT_EQ(refusal({u"cv"_s, u"--station"_s, QString()}), u"--station needs the name of a station"_s);
    EXPECT_EQ(refusal({u"cv"_s, u"--database"_s, u"a.mdb"_s, u"--database"_s, u"b.mdb"_s}),
              u"--database is given twice"_s);
}

TEST(StartUpChoiceTest, GivenOverEnvironmentOverStored)
{
    test::TempRegistry registry;
    SettingsStore store(registry.registry);
    EXPECT_EQ(startUpChoice({}, {}, store).text, QString());
    EXPECT_EQ(startUpChoice({}, {}, store).station, QString());

    store.save(u"System"_s, u"Database"_s, u"service=stored"_s);
    store.save(u"System"_s, u"Station"_s, u"stored"_s);
    const AuditDatabaseChoice stored = startUpChoice({}, {}, store);
    EXPECT_EQ(stored.text, u"service=stored"_s);
    EXPECT_EQ(stored.station, u"stored"_s);

    const AuditDatabaseChoice environment = startUpChoice({}, u"service=environment"_s, store);
    EXPECT_EQ(environment.text, u"service=environment"_s);
    EXPECT_EQ(environment.station, u"stored"_s);

    const AuditDatabaseChoice given =
        startUpChoice({u"/data/cv.mdb"_s, u"given"_s}, u"service=environment"_s, store);
    EXPECT_EQ(given.text, u"/data/cv.mdb"_s);
    EXPECT_EQ(given.station, u"given"_s);
}

TEST(StartUpChoiceTest, OnlyACvMdbCanBeAMissingFile)
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(u"cv.mdb"_s);
    EXPECT_TRUE(isMissingDatabaseFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(isMissingDatabaseFile(path));
    EXPECT_FALSE(isMissingDatabaseFile(u"postgresql://host/central"_s));
    EXPECT_FALSE(isMissingDatabaseFile(u"service=corvane"_s));

    EXPECT_EQ(shownDatabaseName(u"host=h password=secret dbname=c"_s),
              u"host=h password=******** dbname=c"_s);
    EXPECT_EQ(shownDatabaseName(path), path);
}

} // namespace
} // namespace corvane
