#pragma once

#include "core/settings/OptionBoxes.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace corvane {

// The client area of the main window as designed, in twips.
constexpr int form1WidthTwips = 9735;
constexpr int form1HeightTwips = 6150;

// The controls of the main window, under their design names (also their object names).
struct Form1Controls
{
    QLabel* Label1;
    QListWidget* List2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QLabel* Label3;
    QPlainTextEdit* Text3;
    QLabel* Label2;
    QPlainTextEdit* Text2;
    QLabel* Label4;

    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QGroupBox* Frame5;
    std::array<QCheckBox*, optionBoxCount> boxes; // indexed by OptionBox
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command8;
    QPushButton* Command9;
    QLineEdit* Text1;
    QLabel* Label5;
    QComboBox* Combo1;

    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command10;
    QPushButton* Command18;
    QPushButton* Command12;
    QPushButton* Command13;
    QPushButton* Command14;
    QPushButton* Command15;

    QCheckBox* box(OptionBox which) const { return boxes[static_cast<size_t>(which)]; }
};

// Creates every control on the client widget at its design place, with its caption,
// tool tip and first visibility. The client widget must have the design size.
Form1Controls createForm1Controls(QWidget* client);

} // namespace corvane
