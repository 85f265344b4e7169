#include "gui/app/MainWindow.h"

namespace corvane {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Corvane Net"));
}

} // namespace corvane
