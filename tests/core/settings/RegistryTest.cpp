#include "core/settings/Registry.h"
#include "core/settings/RegistryData.h"
#include "core/settings/RegistryHive.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace corvane;

namespace {

const QString settingsRoot = QStringLiteral("Software\\VB and VBA Program Settings");
const QString runKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
constexpr int writerCount = 3;
constexpr int valuesPerWriter = 20;

RegistryValue sz(const QString& name, const QString& text)
{
    return {name, RegType::Sz, RegistryData::szFromText(text)};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString textOf(const Registry& registry, const QString& path, const QString& name)
{
    RegistryValue value;
    if (registry.queryValue(RootKey::CurrentUser, path, name, &value) != RegError::Success)
        return QStringLiteral("<missing>");
    return RegistryData::textFromSz(value.data);
}

class RegistryTest : public ::testing::Test
{
protected:
    Registry::Location location() const { return {m_dir.path(), m_dir.path()}; }
    QString userHive() const { return m_dir.filePath(QStringLiteral("HKEY_CURRENT_USER.reg")); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(RegistryTest, AFreshRegistryHoldsTheStandardKeysAndWritesOnlyOnAChange)
{
    Registry registry(location());

    EXPECT_EQ(registry.openKey(RootKey::CurrentUser, QStringLiteral("software")), RegError::Success);
    EXPECT_EQ(registry.openKey(RootKey::LocalMachine, runKey), RegError::Success);
    EXPECT_EQ(registry.openKey(RootKey::CurrentUser, settingsRoot), RegError::FileNotFound);
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());

    EXPECT_EQ(registry.createKey(RootKey::CurrentUser, settingsRoot + QStringLiteral("\\Corvane Net\\Main")),
              RegError::Success);
    EXPECT_EQ(
        registry.setValue(RootKey::CurrentUser, settingsRoot, sz(QStringLiteral("Key"), QStringLiteral("v"))),
        RegError::Success);

    const Registry reopened(location());
    QStringList names;
    EXPECT_EQ(reopened.subKeyNames(RootKey::CurrentUser, settingsRoot.toUpper(), &names), RegError::Success);
    EXPECT_EQ(names, QStringList{QStringLiteral("Corvane Net")});
    EXPECT_EQ(reopened.valueNames(RootKey::CurrentUser, settingsRoot, &names), RegError::Success);
    EXPECT_EQ(names, QStringList{QStringLiteral("Key")});
    EXPECT_EQ(textOf(reopened, settingsRoot, QStringLiteral("KEY")), QStringLiteral("v"));
    EXPECT_EQ(reopened.hivePath(RootKey::CurrentUser), userHive());
    EXPECT_FALSE(QFile::exists(reopened.hivePath(RootKey::LocalMachine)));
}

TEST_F(RegistryTest, ReturnsTheRegistryErrorCodes)
{
    Registry registry(location());
    RegistryValue value;
    QStringList names;

    for (const quint32 root : {0u, RootKey::ClassesRoot, RootKey::Users, 12345u}) {
        EXPECT_EQ(registry.openKey(root, QStringLiteral("Software")), RegError::InvalidHandle);
        EXPECT_EQ(registry.createKey(root, QStringLiteral("Software")), RegError::InvalidHandle);
        EXPECT_EQ(registry.setValue(root, QStringLiteral("Software"), sz(QStringLiteral("a"), QString())),
                  RegError::InvalidHandle);
        EXPECT_TRUE(registry.hivePath(root).isEmpty());
    }
    EXPECT_EQ(
        registry.queryValue(RootKey::CurrentUser, QStringLiteral("Missing"), QStringLiteral("a"), &value),
        RegError::FileNotFound);
    EXPECT_EQ(
        registry.queryValue(RootKey::CurrentUser, QStringLiteral("Software"), QStringLiteral("a"), &value),
        RegError::FileNotFound);
    EXPECT_EQ(registry.setValue(RootKey::CurrentUser, QStringLiteral("Missing"),
                                sz(QStringLiteral("a"), QString())),
              RegError::FileNotFound);
    EXPECT_EQ(registry.deleteValue(RootKey::CurrentUser, QStringLiteral("Software"), QStringLiteral("a")),
              RegError::FileNotFound);
    EXPECT_EQ(registry.subKeyNames(RootKey::CurrentUser, QStringLiteral("Missing"), &names),
              RegError::FileNotFound);
    EXPECT_EQ(registry.createKey(RootKey::CurrentUser, QStringLiteral("a\\\\b")), RegError::InvalidParameter);
    EXPECT_EQ(registry.setValue(RootKey::CurrentUser, QStringLiteral("Software"),
                                sz(QStringLiteral("a\nb"), QString())),
              RegError::InvalidParameter);
    EXPECT_EQ(registry.valueNames(RootKey::CurrentUser, QStringLiteral("Software"), nullptr),
              RegError::InvalidParameter);
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_F(RegistryTest, TwoRegistriesOnOneFolderKeepEachOthersChanges)
{
    Registry first(location());
    Registry second(location());
    ASSERT_EQ(first.createKey(RootKey::CurrentUser, settingsRoot), RegError::Success);
    ASSERT_EQ(second.openKey(RootKey::CurrentUser, settingsRoot), RegError::Success);

    for (int i = 0; i < 10; ++i) {
        const QString number = QString::number(i);
        ASSERT_EQ(first.setValue(RootKey::CurrentUser, settingsRoot, sz(QStringLiteral("First"), number)),
                  RegError::Success);
        ASSERT_EQ(second.setValue(RootKey::CurrentUser, settingsRoot, sz(QStringLiteral("Second"), number)),
                  RegError::Success);
        EXPECT_EQ(textOf(first, settingsRoot, QStringLiteral("Second")), number);
    }
    ASSERT_EQ(first.deleteValue(RootKey::CurrentUser, settingsRoot, QStringLiteral("second")),
              RegError::Success);

    const Registry third(location());
    EXPECT_EQ(textOf(third, settingsRoot, QStringLiteral("First")), QStringLiteral("9"));
    EXPECT_EQ(textOf(second, settingsRoot, QStringLiteral("Second")), QStringLiteral("<missing>"));
    EXPECT_TRUE(third.damagedFilesSetAside().isEmpty());
}

// The writers of the next test: each of these processes saves values of its own.
TEST(RegistryWriterProcess, SavesItsValues)
{
    const QString folder = qEnvironmentVariable("CV_TEST_REGISTRY_WRITER_FOLDER");
    if (folder.isEmpty())
        GTEST_SKIP() << "runs only as a writer process of ProcessesSavingAtOnceKeepEachOthersChanges";
    const QString writer = qEnvironmentVariable("CV_TEST_REGISTRY_WRITER");
    Registry registry({folder, folder});
    for (int i = 0; i < valuesPerWriter; ++i) {
        const RegistryValue value = sz(writer + u'-' + QString::number(i), writer);
        ASSERT_EQ(registry.setValue(RootKey::CurrentUser, QStringLiteral("Software"), value),
                  RegError::Success);
    }
}

TEST_F(RegistryTest, ProcessesSavingAtOnceKeepEachOthersChanges)
{
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < writerCount; ++w) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CV_TEST_REGISTRY_WRITER_FOLDER"), m_dir.path());
        environment.insert(QStringLiteral("CV_TEST_REGISTRY_WRITER"), QString::number(w));
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--gtest_filter=RegistryWriterProcess.SavesItsValues")});
        writers.push_back(std::move(process));
    }
    for (const auto& process : writers) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardOutput().toStdString();
    }

    const Registry registry(location());
    QStringList names;
    ASSERT_EQ(registry.valueNames(RootKey::CurrentUser, QStringLiteral("Software"), &names),
              RegError::Success);
    EXPECT_EQ(names.size(), writerCount * valuesPerWriter);
    EXPECT_TRUE(registry.damagedFilesSetAside().isEmpty());
}

TEST_F(RegistryTest, ADamagedHiveIsSetAsideAndRewrittenWithWhatCouldBeRead)
{
    const QByteArray good = "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software]\r\n\"Good\"=\"kept\"\r\n";
    const QList<QByteArray> damages = {
        good + "\"Cut\"=\"in the mid",
        good + "\"Huge\"=\"" + QByteArray(1000000, 'h') + "\r\n\"After\"=\"kept\"\r\n",
        good + "\"Nul\"=\"a" + '\0' + "b\"\r\n\xff\xfe\xc3\x28 garbage\r\n\"After\"=\"kept\"\r\n",
    };
    const QRegularExpression asideName(
        QStringLiteral("/HKEY_CURRENT_USER\\.reg\\.damaged-\\d{8}-\\d{6}(-\\d+)?$"));

    QStringList setAside;
    for (const QByteArray& damaged : damages) {
        writeFile(userHive(), damaged);

        const Registry registry(location());
        EXPECT_EQ(textOf(registry, QStringLiteral("Software"), QStringLiteral("Good")),
                  QStringLiteral("kept"));
        ASSERT_EQ(registry.damagedFilesSetAside().size(), 1);
        const QString aside = registry.damagedFilesSetAside().constFirst();
        EXPECT_TRUE(asideName.match(aside).hasMatch()) << aside.toStdString();
        EXPECT_EQ(readAll(aside), damaged);
        EXPECT_TRUE(
            RegistryHive::parse(QStringLiteral("HKEY_CURRENT_USER"), readAll(userHive())).damage.isEmpty());

        const Registry second(location());
        EXPECT_EQ(textOf(second, QStringLiteral("Software"), QStringLiteral("Good")), QStringLiteral("kept"));
        EXPECT_EQ(textOf(second, QStringLiteral("Software"), QStringLiteral("After")),
                  damaged.contains("After") ? QStringLiteral("kept") : QStringLiteral("<missing>"));
        EXPECT_TRUE(second.damagedFilesSetAside().isEmpty());
        setAside.append(aside);
    }
    setAside.removeDuplicates();
    EXPECT_EQ(setAside.size(), damages.size());
}

TEST_F(RegistryTest, AStaleLockOfADeadProcessDoesNotBlockSaving)
{
    const QString lockPath = userHive() + QStringLiteral(".lock");
    QProcess process;
    process.start(QStringLiteral("true"));
    ASSERT_TRUE(process.waitForStarted());
    const QByteArray deadPid = QByteArray::number(process.processId());
    ASSERT_TRUE(process.waitForFinished());
    QByteArray lockContent;
    {
        QLockFile lock(lockPath);
        ASSERT_TRUE(lock.tryLock(0));
        lockContent = readAll(lockPath);
    }
    writeFile(lockPath, deadPid + lockContent.mid(lockContent.indexOf('\n')));

    Registry registry(location());
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(registry.createKey(RootKey::CurrentUser, settingsRoot), RegError::Success);
    EXPECT_LT(timer.elapsed(), 4000);
}

TEST_F(RegistryTest, ADamagedHiveThatCannotBeSetAsideIsReadButNotSavedOver)
{
    const QByteArray damaged = "[HKEY_CURRENT_USER\\Software]\r\n\"Good\"=\"kept\"\r\ngarbage\r\n";
    writeFile(userHive(), damaged);
    auto held = std::make_unique<QLockFile>(userHive() + QStringLiteral(".lock"));
    ASSERT_TRUE(held->tryLock(0));
    Registry registry(location());

    EXPECT_EQ(textOf(registry, QStringLiteral("Software"), QStringLiteral("Good")), QStringLiteral("kept"));
    EXPECT_EQ(registry.createKey(RootKey::CurrentUser, settingsRoot), RegError::CantWrite);
    EXPECT_TRUE(registry.damagedFilesSetAside().isEmpty());
    EXPECT_EQ(readAll(userHive()), damaged);

    held.reset();
    EXPECT_EQ(registry.createKey(RootKey::CurrentUser, settingsRoot), RegError::Success);
    ASSERT_EQ(registry.damagedFilesSetAside().size(), 1);
    EXPECT_EQ(readAll(registry.damagedFilesSetAside().constFirst()), damaged);
    EXPECT_EQ(textOf(Registry(location()), QStringLiteral("Software"), QStringLiteral("Good")),
              QStringLiteral("kept"));
}

TEST_F(RegistryTest, AFolderThatCannotBeMadeFailsTheChangeOnly)
{
    writeFile(m_dir.filePath(QStringLiteral("file")), "not a folder");
    const QString folder = m_dir.filePath(QStringLiteral("file/sub"));
    Registry registry({folder, folder});

    EXPECT_EQ(registry.createKey(RootKey::CurrentUser, settingsRoot), RegError::CantWrite);
    EXPECT_EQ(registry.openKey(RootKey::CurrentUser, QStringLiteral("Software")), RegError::Success);
    EXPECT_EQ(registry.openKey(RootKey::CurrentUser, settingsRoot), RegError::FileNotFound);
}

namespace {

// Sets an environment variable for one scope.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_wasSet)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_saved;
};

} // namespace

TEST(RegistryLocation, ComesFromTheEnvironment)
{
    ScopedEnvironment config("XDG_CONFIG_HOME", "/tmp/config");
    Registry::Location xdg;
    {
        ScopedEnvironment unshared("CORVANE_NET_REGISTRY", QByteArray());
        xdg = Registry::locationFromEnvironment();
    }
    ScopedEnvironment shared("CORVANE_NET_REGISTRY", "/tmp/shared");
    const Registry::Location both = Registry::locationFromEnvironment();

    EXPECT_EQ(both.currentUserFolder, QStringLiteral("/tmp/shared"));
    EXPECT_EQ(both.localMachineFolder, QStringLiteral("/tmp/shared"));
    EXPECT_EQ(xdg.currentUserFolder, QStringLiteral("/tmp/config/corvane-net"));
    EXPECT_EQ(xdg.localMachineFolder, QStringLiteral("/etc/corvane-net"));
}

TEST(RegistryLocation, IgnoresARelativeConfigHome)
{
    const ScopedEnvironment unshared("CORVANE_NET_REGISTRY", QByteArray());
    const ScopedEnvironment config("XDG_CONFIG_HOME", "relative");

    EXPECT_EQ(Registry::locationFromEnvironment().currentUserFolder,
              QDir::homePath() + QStringLiteral("/.config/corvane-net"));
}
