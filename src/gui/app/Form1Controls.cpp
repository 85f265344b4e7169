#include "gui/app/Form1Controls.h"

#include "gui/ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace corvane {

namespace {

using B = OptionBox;

QRect pixelRect(const QRect& twips, const QPaintDevice& device)
{
    return {twipsToPixels(QPointF(twips.topLeft()), device), twipsToPixels(QSizeF(twips.size()), device)};
}

// A control named and placed in its parent, whose client coordinates are in twips.
template <typename W, typename... Args>
W* place(QWidget* parent, const char* name, const QRect& twips, Args&&... args)
{
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(pixelRect(twips, *parent));
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QRect& twips, const QString& caption,
                    const QString& toolTip)
{
    auto* control = place<QPushButton>(parent, name, twips, caption);
    control->setToolTip(toolTip);
    control->setAutoDefault(false);
    return control;
}

QPlainTextEdit* textBox(QWidget* parent, const char* name, const QRect& twips)
{
    auto* control = place<QPlainTextEdit>(parent, name, twips);
    control->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    control->setTabChangesFocus(true);
    return control;
}

struct BoxPlace
{
    OptionBox box;
    const char* name;
    const char16_t* caption;
    QRect twips;
};

// "File Information to Retrieve" pairs each date with its user, in two columns.
constexpr int infoLeft = 150, infoRight = 1590, infoWide = 1380, infoNarrow = 1050, row = 270;
const BoxPlace informationBoxes[] = {
    {B::cbCreated, "cbCreated", u"Creation Date", {infoLeft, row, infoWide, row}},
    {B::cbOwner, "cbOwner", u"Owner", {infoRight, row, infoNarrow, row}},
    {B::cbLastArchive, "cbLastArchive", u"Archive Date", {infoLeft, 2 * row, infoWide, row}},
    {B::cbArchiver, "cbArchiver", u"Archiver", {infoRight, 2 * row, infoNarrow, row}},
    {B::cbLastEdit, "cbLastEdit", u"Edit Date", {infoLeft, 3 * row, infoWide, row}},
    {B::cbEditor, "cbEditor", u"Editor", {infoRight, 3 * row, infoNarrow, row}},
    {B::cbDeleted, "cbDeleted", u"Delete Date", {infoLeft, 4 * row, infoWide, row}},
    {B::cbDeletor, "cbDeletor", u"Deletor", {infoRight, 4 * row, infoNarrow, row}},
    {B::cbLastAccess, "cbLastAccess", u"Open Date", {infoLeft, 5 * row, infoWide, row}},
    {B::cbSize, "cbSize", u"Size", {infoRight, 5 * row, infoNarrow, row}},
};

constexpr int tableRow = 255;
const BoxPlace tableBoxes[] = {
    {B::cbFileDetail, "cbFileDetail", u"File Detail", {150, 270, 1875, tableRow}},
    {B::cbNewFiles, "cbNewFiles", u"New Files", {150, 270 + tableRow, 1875, tableRow}},
    {B::cbEditedFiles, "cbEditedFiles", u"Edited Files", {150, 270 + 2 * tableRow, 1875, tableRow}},
    {B::cbOpenedFiles, "cbOpenedFiles", u"Opened Files", {150, 270 + 3 * tableRow, 1875, tableRow}},
    {B::cbDeletedFiles, "cbDeletedFiles", u"Deleted Files", {150, 270 + 4 * tableRow, 1875, tableRow}},
    {B::cbArchivedFiles, "cbArchivedFiles", u"Archived Files", {150, 270 + 5 * tableRow, 1875, tableRow}},
    {B::cbNewDirs, "cbNewDirs", u"New Directories", {150, 270 + 6 * tableRow, 1875, tableRow}},
    {B::cbDeletedDirs, "cbDeletedDirs", u"Deleted Directories", {150, 270 + 7 * tableRow, 1875, tableRow}},
    {B::cbDirActivity, "cbDirActivity", u"Directory Activity", {150, 270 + 8 * tableRow, 1875, tableRow}},
};

const BoxPlace fileTypeBoxes[] = {
    {B::cbHidden, "cbHidden", u"Hidden", {150, 270, 1125, 270}},
    {B::cbSystem, "cbSystem", u"System", {1380, 270, 1125, 270}},
};

const BoxPlace miscellaneousBoxes[] = {
    {B::cbAutoPurge, "cbAutoPurge", u"Auto-purge data after", {150, 270, 2025, 300}},
    {B::cbAutoScan, "cbAutoScan", u"Auto-start scan at ", {150, 660, 2025, 300}},
    {B::cbKeepRunning, "cbKeepRunning", u"Keep running", {150, 1080, 1950, 300}},
    {B::cbExit, "cbExit", u"Auto-exit after scan", {2220, 1080, 2400, 300}},
};

template <size_t N> void placeBoxes(Form1Controls& controls, QWidget* parent, const BoxPlace (&places)[N])
{
    for (const BoxPlace& p : places) {
        controls.boxes[static_cast<size_t>(p.box)] =
            place<QCheckBox>(parent, p.name, p.twips, QString::fromUtf16(p.caption));
    }
}

void createPathControls(Form1Controls& c, QWidget* client)
{
    c.Label1 = place<QLabel>(client, "Label1", {120, 90, 4200, 240},
                             QStringLiteral("Paths to scan (check to include subdirectories)"));
    c.List2 = place<QListWidget>(client, "List2", {120, 345, 4200, 1500});
    c.Command3 = button(client, "Command3", {120, 1905, 1080, 345}, QStringLiteral("&Add"),
                        QStringLiteral("Add new path"));
    c.Command4 = button(client, "Command4", {1260, 1905, 1080, 345}, QStringLiteral("&Delete"),
                        QStringLiteral("Delete selected path"));
    c.Command5 = button(client, "Command5", {2400, 1905, 1200, 345}, QStringLiteral("D&elete All"),
                        QStringLiteral("Delete all paths"));
    c.Label3 = place<QLabel>(client, "Label3", {120, 2340, 4200, 240},
                             QStringLiteral("File specs to scan (seperate with semi-colons)"));
    c.Text3 = textBox(client, "Text3", {120, 2595, 4200, 540});
    c.Label2 = place<QLabel>(client, "Label2", {120, 3225, 4200, 240}, QStringLiteral("System Messages"));
    c.Text2 = textBox(client, "Text2", {120, 3480, 4200, 1560});
    c.Text2->setReadOnly(true);
    c.Label4 = place<QLabel>(client, "Label4", {120, 5130, 4200, 240});
}

void createOptionControls(Form1Controls& c, QWidget* client)
{
    c.Frame1 = place<QGroupBox>(client, "Frame1", {4440, 30, 5175, 4920}, QStringLiteral("Options"));
    c.Frame2 =
        place<QGroupBox>(c.Frame1, "Frame2", {120, 270, 2700, 630}, QStringLiteral("File Type to Scan"));
    placeBoxes(c, c.Frame2, fileTypeBoxes);

    c.Frame3 = place<QGroupBox>(c.Frame1, "Frame3", {120, 930, 2700, 2280},
                                QStringLiteral("File Information to Retrieve"));
    placeBoxes(c, c.Frame3, informationBoxes);
    c.Command6 = button(c.Frame3, "Command6", {150, 1770, 1050, 330}, QStringLiteral("All"),
                        QStringLiteral("Select all"));
    c.Command7 = button(c.Frame3, "Command7", {1410, 1770, 1050, 330}, QStringLiteral("None"),
                        QStringLiteral("Select none"));

    c.Frame4 =
        place<QGroupBox>(c.Frame1, "Frame4", {2940, 270, 2115, 2940}, QStringLiteral("Tables to Update"));
    placeBoxes(c, c.Frame4, tableBoxes);
    c.Command8 = button(c.Frame4, "Command8", {150, 2580, 870, 300}, QStringLiteral("All"),
                        QStringLiteral("Select all"));
    c.Command9 = button(c.Frame4, "Command9", {1080, 2580, 870, 300}, QStringLiteral("None"),
                        QStringLiteral("Select none"));

    c.Frame5 = place<QGroupBox>(c.Frame1, "Frame5", {120, 3270, 4935, 1530}, QStringLiteral("Miscellaneous"));
    placeBoxes(c, c.Frame5, miscellaneousBoxes);
    c.box(B::cbKeepRunning)->hide();
    c.Text1 = place<QLineEdit>(c.Frame5, "Text1", {2220, 270, 600, 300});
    c.Label5 = place<QLabel>(c.Frame5, "Label5", {2910, 300, 600, 240}, QStringLiteral("days"));
    c.Combo1 = place<QComboBox>(c.Frame5, "Combo1", {2220, 645, 1350, 330});

    c.boxes[static_cast<size_t>(B::cbAutoRun)] = place<QCheckBox>(
        client, "cbAutoRun", {4560, 5010, 3300, 300}, QStringLiteral("Auto-run when PC boots up"));
}

// The row of command buttons along the bottom.
QPushButton* bottomButton(QWidget* client, int column, const char* name, const QString& caption,
                          const QString& toolTip)
{
    return button(client, name, {120 + 1200 * column, 5580, 1095, 420}, caption, toolTip);
}

void createCommandButtons(Form1Controls& c, QWidget* client)
{
    c.Command1 = bottomButton(client, 0, "Command1", QStringLiteral("&Scan"),
                              QStringLiteral("Scan paths and collect file data"));
    c.Command2 =
        bottomButton(client, 1, "Command2", QStringLiteral("S&top"), QStringLiteral("Terminate scan"));
    c.Command10 =
        bottomButton(client, 2, "Command10", QStringLiteral("&Query"), QStringLiteral("Query file data"));
    c.Command18 =
        bottomButton(client, 3, "Command18", QStringLiteral("&Graphs"), QStringLiteral("Generate graphs"));
    c.Command12 = bottomButton(client, 4, "Command12", QStringLiteral("&Purge Today"),
                               QStringLiteral("Delete today's data"));
    c.Command13 =
        bottomButton(client, 5, "Command13", QStringLiteral("P&urge All"), QStringLiteral("Delete all data"));
    c.Command14 = bottomButton(client, 6, "Command14", QStringLiteral("A&bout"),
                               QStringLiteral("Help and info about the system"));
    c.Command15 =
        bottomButton(client, 7, "Command15", QStringLiteral("E&xit"), QStringLiteral("Exit the system"));
}

} // namespace

Form1Controls createForm1Controls(QWidget* client)
{
    Form1Controls controls{};
    createPathControls(controls, client);
    createOptionControls(controls, client);
    createCommandButtons(controls, client);
    // Shown once there is something to scan, a scan to stop, data of today to purge.
    for (QPushButton* hidden :
         {controls.Command1, controls.Command2, controls.Command4, controls.Command5, controls.Command12})
        hidden->hide();
    return controls;
}

} // namespace corvane
