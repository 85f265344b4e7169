#pragma once

#include <QMainWindow>

namespace corvane {

// Form1, the program's main window.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace corvane
