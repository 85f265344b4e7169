#pragma once

#include "core/settings/SettingsStore.h"
#include "gui/app/MainWindow.h"
#include "mock/FakeClock.h"
#include "mock/ScriptedHelpOpener.h"
#include "mock/ScriptedMessageBoxes.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace corvane::test {

// The folder picker answers from a queue (empty: cancelled) and records how it was asked.
struct ScriptedFolderChooser : FolderChooser
{
    QString BrowseForFolder(QWidget* /*owner*/, const QString& title, const QString& startFolder) override
    {
        titles.append(title);
        startFolders.append(startFolder);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList answers;
    QStringList titles;
    QStringList startFolders;
};

// A main window over a temporary registry, application folder and autostart folder, with a
// fixed clock, scripted message boxes and folder picker.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("CORVANE_NET_HOME", home.path().toUtf8()); }
    void TearDown() override
    {
        window.reset();
        qunsetenv("CORVANE_NET_HOME");
    }

    // Creates and loads the window; shown and active unless show is false.
    MainWindow& open(const QStringList& arguments = {QStringLiteral("cv")}, bool show = true)
    {
        MainWindowServices services;
        services.registry =
            std::make_unique<Registry>(Registry::Location{temp.folder.path(), temp.folder.path()});
        services.client = std::make_unique<EmulatedNetWareClient>(homePath(QStringLiteral("netware.conf")));
        auto fakeClock = std::make_unique<FakeClock>(now);
        clock = fakeClock.get();
        services.clock = std::move(fakeClock);
        auto scriptedChooser = std::make_unique<ScriptedFolderChooser>();
        chooser = scriptedChooser.get();
        services.folderChooser = std::move(scriptedChooser);
        auto recordingOpener = std::make_unique<ScriptedHelpOpener>();
        opener = recordingOpener.get();
        services.helpOpener = std::move(recordingOpener);
        services.autostartFolder = autostart.path();
        services.systemTrayAvailable = [this] { return trayAvailable; };
        services.queryWindow = [this](QWidget*, SettingsStore&) { ++queryWindows; };
        window = std::make_unique<MainWindow>(std::move(services));
        loaded = window->Form_Load(arguments);
        if (show && loaded) {
            window->show();
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
        return *window;
    }

    // Closes the window as the user does; false when it refused.
    bool closeWindow()
    {
        if (!window->close())
            return false;
        window.reset();
        return true;
    }

    template <typename W = QWidget> W* control(const char* name) const
    {
        auto* widget = window->findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(name); }
    void click(const char* name) const { control<QAbstractButton>(name)->click(); }

    QString stored(const QString& section, const QString& key) const
    {
        return store.get(section, key, QStringLiteral("<missing>"));
    }
    QString homePath(const QString& name) const { return home.path() + u'/' + name; }
    // The application folder gets the empty audit database the build delivers.
    void deliverDatabase() const
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(CV_DATABASE_FILE), homePath(QStringLiteral("cv.mdb"))));
        QFile::setPermissions(homePath(QStringLiteral("cv.mdb")), QFile::ReadOwner | QFile::WriteOwner);
    }

    QTemporaryDir home;
    QTemporaryDir autostart;
    TempRegistry temp;
    SettingsStore store{temp.registry};
    ScriptedMessageBoxes boxes;
    QDateTime now{QDate(2026, 12, 7), QTime(10, 0)};
    bool trayAvailable = false;
    int queryWindows = 0;

    std::unique_ptr<MainWindow> window;
    bool loaded = false;
    FakeClock* clock = nullptr;
    ScriptedFolderChooser* chooser = nullptr;
    ScriptedHelpOpener* opener = nullptr;
};

} // namespace corvane::test
