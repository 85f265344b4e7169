#include "gui/app/MainWindow.h"

#include "core/common/AppFolder.h"
#include "core/common/ProgramArguments.h"
#include "core/db/DatabaseChoice.h"
#include "core/db/DatabaseOpening.h"
#include "core/scan/StartUpDatabase.h"
#include "core/settings/SettingsPersistence.h"
#include "gui/app/OptionPanel.h"
#include "gui/app/PathListPanel.h"
#include "gui/app/TrayIcon.h"
#include "gui/ui/AboutBox.h"
#include "gui/ui/AppIcon.h"
#include "gui/ui/DesignFont.h"
#include "gui/ui/MessageBoxes.h"
#include "gui/ui/Twips.h"
#include "gui/ui/WindowBehaviour.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextStream>
#include <QTimer>

namespace corvane {

namespace {

const QString programName = QStringLiteral("Corvane Net");

// The status texts are written with CR LF line breaks; the text box wants LF.
QString displayText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The client area at its design size, for the controls to be placed on.
QWidget* createClientArea(QMainWindow* window)
{
    useDesignFont(window);
    window->resize(twipsToPixels(QSizeF(form1WidthTwips, form1HeightTwips), *window));
    auto* client = new QWidget(window);
    client->resize(window->size());
    window->setCentralWidget(client);
    return client;
}

// Which audit database the window works on, when it is not the application folder's cv.mdb:
// a central one with the station this program writes as, or another cv.mdb; else empty.
QString otherDatabaseText()
{
    const DatabaseName database = chosenDatabaseName();
    if (database.isPostgreSql())
        return database.shown() + u" (station " + stationName() + u')';
    return database.text == auditDatabasePath() ? QString() : database.text;
}

QString windowCaption()
{
    const QString database = otherDatabaseText();
    return database.isEmpty() ? programName : programName + u" - " + database;
}

// The welcome names another database too, for desktops that show no title.
QString welcomeText()
{
    const QString database = otherDatabaseText();
    return u"Welcome to " + programName + u"!\r\n\r\nPress the F1 key for help." +
           (database.isEmpty() ? QString() : u"\r\n\r\nAudit database: " + database);
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)), m_store(*m_services.registry),
      m_startUp(m_store, *m_services.clock, *m_services.registry, *this, m_services.autostartFolder),
      m_applicationFolder(applicationFolder()),
      m_paths(m_startUp.settings, *this, m_services.client->configuration()),
      m_c(createForm1Controls(createClientArea(this))), m_lastScan(m_c.Label4, m_c.Command12),
      m_scanRun(ScanRunServices{*this, *m_services.clock, m_store, m_startUp.settings, m_startUp.boxes,
                                *m_services.client, m_services.client->configuration(), auditDatabaseName()}),
      m_pathPanel(new PathListPanel(m_c, m_paths, *m_services.folderChooser, m_applicationFolder, this)),
      m_optionPanel(new OptionPanel(m_c, m_startUp.boxes, m_startUp.days, m_startUp.startTimes, this)),
      m_tray(new TrayIcon(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(windowCaption());
    setWindowIcon(applicationIcon());
    connectCommands();
}

MainWindow::~MainWindow()
{
    // What works on the members goes before them, not with the window's children: a window
    // destroyed without closing stores nothing, and no control reaches the members as it goes.
    delete m_behaviour;
    delete m_pathPanel;
    delete m_optionPanel;
    setWaitCursor(false);
}

bool MainWindow::Form_Load(const QStringList& arguments)
{
    if (!initializeNetwork())
        return false;
    ensureSettingsRoot(*m_services.registry, *this);
    setWaitCursor(true);
    // Records the design layout, then takes the stored size within the design and screen sizes.
    m_behaviour = new WindowBehaviour(this, m_store, QString(),
                                      {m_c.Frame1, m_c.Frame2, m_c.Frame3, m_c.Frame4, m_c.Frame5, m_c.Label1,
                                       m_c.Label2, m_c.Label3, m_c.Label4});
    setWindowTitle(windowCaption());
    showStatus(welcomeText());

    const QString lastScan = loadLastScan(m_store);
    m_lastScan.setText(lastScan.isEmpty() ? QString() : u"Last scan: " + lastScan);
    m_startUp.load(m_store);
    m_pathPanel->showEntries();

    m_tray->AddTrayIcon();
    m_tray->SetTrayTip(programName);
    setWaitCursor(false);
    m_loaded = true;

    if (isTimedStart(arguments)) {
        m_startUp.settings.TimedStart = true;
        show();
        // Once the event loop runs, so that the run's exit after the scan can end it.
        QTimer::singleShot(0, this, &MainWindow::Command1_Click);
    }
    return true;
}

bool MainWindow::initializeNetwork()
{
    if (m_services.client->NWCallsInit() == 0)
        return true;
    QTextStream(stderr) << "cv: " << m_services.client->initFailure() << Qt::endl;
    showMessage(QStringLiteral("Error! Unable to initialize network."), Icon::Warning);
    return false;
}

void MainWindow::connectCommands()
{
    connect(m_c.Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(m_c.Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(m_c.Command10, &QPushButton::clicked, this, &MainWindow::Command10_Click);
    connect(m_c.Command18, &QPushButton::clicked, this, &MainWindow::Command18_Click);
    connect(m_c.Command12, &QPushButton::clicked, this, &MainWindow::Command12_Click);
    connect(m_c.Command13, &QPushButton::clicked, this, &MainWindow::Command13_Click);
    connect(m_c.Command14, &QPushButton::clicked, this, &MainWindow::Command14_Click);
    connect(m_c.Command15, &QPushButton::clicked, this, &QWidget::close);
    // F1 reaches the window before the control that has the focus.
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &MainWindow::openHelp);
    connect(m_tray, &TrayIcon::restoreRequested, this, &MainWindow::restoreWindow);
    connect(m_tray, &TrayIcon::exitRequested, this, &QWidget::close);
}

void MainWindow::Command1_Click()
{
    // Without any connection to the database the program cannot work.
    if (m_scanRun.Command1_Click().ending == ScanRun::Ending::ProgramMustEnd)
        quit();
}

void MainWindow::Command2_Click()
{
    m_scanRun.Command2_Click();
}

void MainWindow::Command10_Click()
{
    if (const QString database = auditDatabaseName(); isMissingDatabaseFile(database)) {
        showMessage(u"Database " + database + u" not found. Please write to " + AboutBox::makerEmail +
                        u" for help.",
                    Icon::Warning);
        return;
    }
    if (m_services.queryWindow)
        m_services.queryWindow(this, m_store);
}

void MainWindow::Command18_Click()
{
    if (m_services.graphOptionsWindow)
        m_services.graphOptionsWindow(this, m_store);
}

void MainWindow::Command12_Click()
{
    Purges(*this, m_store, m_lastScan, *m_services.clock).PurgeToday();
}

void MainWindow::Command13_Click()
{
    Purges(*this, m_store, m_lastScan, *m_services.clock).PurgeAll();
}

void MainWindow::Command14_Click()
{
    AboutBox box(this);
    box.exec();
}

void MainWindow::openHelp()
{
    showHelpFile(this, m_applicationFolder + u"faq.fil", *m_services.helpOpener);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // While the Stop button is shown a scan runs; it must be stopped first.
    if (!m_c.Command2->isHidden()) {
        event->ignore();
        return;
    }
    if (m_loaded) {
        const QSizeF size = m_behaviour->windowSizeTwips();
        saveScanSettings(
            m_store, m_startUp.settings,
            StoredWindowSize{static_cast<float>(size.height()), static_cast<float>(size.width())});
        m_tray->RemoveTrayIcon();
    }
    // A run pausing between repetitions ends with the window.
    m_quitRequested = m_busy;
    event->accept();
    // Closing the window ends the program, also when it was hidden in the tray.
    QCoreApplication::quit();
}

// No control of the window takes Esc, so it always comes here, but an open drop-down list and
// the windows opened from this one take it first, as everywhere: it closes only them.
void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Minimised, the window lives in the tray, where the desktop has one to bring it back.
    if (isMinimized() && m_services.systemTrayAvailable && m_services.systemTrayAvailable())
        QTimer::singleShot(0, this, &QWidget::hide);
    SetTrayMenuItems(trayWindowState());
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SetTrayMenuItems(trayWindowState());
}

int MainWindow::trayWindowState() const
{
    if (isMinimized())
        return 1;
    return isMaximized() ? 2 : 0;
}

void MainWindow::SetTrayMenuItems(int windowState)
{
    if (windowState == 1 || windowState == 2)
        m_tray->mnuTrayRestore()->setEnabled(true);
    else if (windowState == 0)
        m_tray->mnuTrayRestore()->setEnabled(false);
}

void MainWindow::restoreWindow()
{
    if (isHidden()) {
        show();
        SetTrayMenuItems(0);
    }
    // As the system's restore command: out of the minimised state, else out of the maximised one.
    setWindowState(isMinimized() ? windowState() & ~Qt::WindowMinimized
                                 : windowState() & ~Qt::WindowMaximized);
    raise();
    activateWindow();
}

void MainWindow::showMessage(const QString& text, Icon icon)
{
    MessageBoxes::show(this, text, icon);
}

MainWindow::Answer MainWindow::askYesNo(const QString& question, Answer defaultAnswer)
{
    return MessageBoxes::askYesNo(this, question, defaultAnswer);
}

void MainWindow::showStatus(const QString& text)
{
    m_c.Text2->setPlainText(displayText(text));
}

void MainWindow::appendStatus(const QString& text)
{
    m_c.Text2->setPlainText(m_c.Text2->toPlainText() + displayText(text));
    m_c.Text2->moveCursor(QTextCursor::End);
}

void MainWindow::beep()
{
    QApplication::beep();
}

void MainWindow::setWaitCursor(bool waiting)
{
    if (waiting == m_waitCursor)
        return;
    m_waitCursor = waiting;
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::yield()
{
    QCoreApplication::processEvents();
}

void MainWindow::waitForEvents(int maxMilliseconds)
{
    // The timer wakes the wait at the latest; any event of the user ends it earlier.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.start(maxMilliseconds);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void MainWindow::setBusy(bool busy)
{
    m_busy = busy;
    // Everything but the labels and the text boxes, the tray menu included; then the two
    // text boxes that edit settings. The status box stays readable.
    for (QAbstractButton* control : centralWidget()->findChildren<QAbstractButton*>())
        control->setEnabled(!busy);
    m_c.List2->setEnabled(!busy);
    m_c.Combo1->setEnabled(!busy);
    for (QAction* item : m_tray->menu()->actions())
        item->setEnabled(!busy);
    m_c.Text1->setEnabled(!busy);
    m_c.Text3->setEnabled(!busy);
    if (busy)
        m_c.Command2->setEnabled(true);
}

void MainWindow::setStopVisible(bool visible)
{
    m_c.Command2->setVisible(visible);
}

void MainWindow::showLastScan(const QString& text)
{
    m_lastScan.setText(text);
}

void MainWindow::quit()
{
    close();
}

} // namespace corvane
