#include "gui/ui/HelpFile.h"

#include "gui/ui/CommandButton.h"
#include "gui/ui/MessageBoxes.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// The text read-only, in a fixed-width font: the help file's lines are ruled and indented for
// one, as a text editor shows them.
QDialog* textFileWindow(QWidget* owner, const QString& path, const QString& text)
{
    auto* window = new QDialog(owner, Qt::Window);
    window->setObjectName(u"textFileWindow"_s);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QFileInfo(path).fileName() + u" - "_s + MessageBoxes::title);
    auto* view = new QPlainTextEdit(window);
    view->setReadOnly(true);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setPlainText(text);
    QPushButton* close = addCommandButton(window, u"Command1"_s, u"C&lose"_s, u" Close screen "_s);
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(view, 1);
    layout->addLayout(buttons);
    // Room for lines of 80 characters beside the scroll bar.
    const QFontMetrics metrics(view->font());
    window->resize(metrics.horizontalAdvance(QString(90, u'x')), metrics.lineSpacing() * 36);
    return window;
}

void showTextFileWindow(QWidget* owner, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBoxes::show(owner, u"The help file "_s + path + u" cannot be shown: "_s + file.errorString() +
                                      u"."_s);
        return;
    }
    const QString text = QString::fromUtf8(file.readAll()).replace(u"\r\n"_s, u"\n"_s);
    QDialog* window = textFileWindow(owner, path, text);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

DesktopTextFileOpener::DesktopTextFileOpener(QString launcher) : m_launcher(std::move(launcher)) {}

void DesktopTextFileOpener::open(const QString& path, Answer answer)
{
    // Owned by the application, not the window: a launcher still running when the window goes
    // is left to finish. One stopped as the program ends has nothing to answer.
    auto* launcher = new QProcess(QCoreApplication::instance());
    launcher->setStandardInputFile(QProcess::nullDevice());
    launcher->setStandardOutputFile(QProcess::nullDevice());
    launcher->setProcessChannelMode(QProcess::ForwardedErrorChannel); // its complaints, on the terminal
    QObject::connect(launcher, &QProcess::finished, launcher,
                     [launcher, answer](int exitCode, QProcess::ExitStatus status) {
                         launcher->deleteLater();
                         if (!QCoreApplication::closingDown())
                             answer(status == QProcess::NormalExit && exitCode == 0);
                     });
    QObject::connect(launcher, &QProcess::errorOccurred, launcher,
                     [launcher, answer](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // the end of a started launcher comes with finished
                         launcher->deleteLater();
                         answer(false);
                     });
    launcher->start(m_launcher, {path});
}

void showHelpFile(QWidget* owner, const QString& path, TextFileOpener& opener)
{
    opener.open(path, [owner = QPointer<QWidget>(owner), path](bool opened) {
        if (!opened)
            showTextFileWindow(owner, path);
    });
}

} // namespace corvane
