#include "cli/CommandLine.h"
#include "core/common/AppFolder.h"
#include "core/scan/StartUpDatabase.h"
#include "core/settings/SettingsStore.h"
#include "core/sqlite/SqliteLibrary.h"
#include "gui/app/MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

// The command-line jobs (--scan, --query, ...) run without windows; anything else
// starts the main window, which itself looks for "-t". Both use the audit database that
// --database, the environment or the stored setting names.
int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    if (corvane::cli::isCommandLineJob(argc, argv)) {
        QCoreApplication app(argc, argv);
        return corvane::cli::run(app.arguments());
    }
    QApplication app(argc, argv);
    if (QString failure; !corvane::prepareApplicationFolder(&failure)) {
        QMessageBox::critical(nullptr, QStringLiteral("Corvane Net"),
                              QStringLiteral("The application folder cannot be made: ") + failure);
        return 1;
    }
    // Closing the main window ends the program, also while it is hidden in the tray and the last
    // window to close is a message box.
    QApplication::setQuitOnLastWindowClosed(false);
    QStringList arguments = app.arguments();
    QString problem;
    // Options cv cannot read went to the command line, which reports them.
    const std::optional<corvane::AuditDatabaseChoice> options =
        corvane::takeDatabaseOptions(arguments, &problem);
    corvane::MainWindowServices services = corvane::MainWindowServices::fromEnvironment();
    corvane::chooseStartUpDatabase(options.value_or(corvane::AuditDatabaseChoice{}),
                                   corvane::SettingsStore(*services.registry));
    corvane::MainWindow window(std::move(services));
    if (!window.Form_Load(arguments))
        return 1;
    window.show();
    return app.exec();
}
