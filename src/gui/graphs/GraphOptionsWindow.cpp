#include "gui/graphs/GraphOptionsWindow.h"

#include "core/common/AppFolder.h"
#include "core/db/JetDates.h"
#include "core/graphs/ChartData.h"
#include "core/graphs/CustomStatementFile.h"
#include "core/graphs/GraphKinds.h"
#include "gui/graphs/ChartView.h"
#include "gui/ui/CommandButton.h"
#include "gui/ui/DesignFont.h"
#include "gui/ui/FileDialogs.h"
#include "gui/ui/MessageBoxes.h"
#include "gui/ui/Twips.h"
#include "gui/ui/WindowBehaviour.h"
#include "gui/ui/WindowSize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

const QString rotationHint = u"To rotate 3D chart press the CTRL key and use left mouse button."_s;

// Any small fixed data set serves the preview: five rows of four series.
ChartData sampleChartData()
{
    ChartData data;
    data.columnLabels = QStringList{u"C1"_s, u"C2"_s, u"C3"_s, u"C4"_s};
    data.rowLabels = QStringList{u"R1"_s, u"R2"_s, u"R3"_s, u"R4"_s, u"R5"_s};
    data.points = {{3.0, 5.0, 2.0, 7.0},
                   {6.0, 4.0, 8.0, 3.0},
                   {9.0, 7.0, 4.0, 5.0},
                   {4.0, 8.0, 6.0, 9.0},
                   {7.0, 3.0, 9.0, 6.0}};
    return data;
}

} // namespace

GraphOptionsWindow::GraphOptionsWindow(QWidget* parent, SettingsStore& store, ChartOpener openChart)
    : GraphOptionsWindow(parent, store, std::move(openChart), *new DesktopFileDialogs)
{
    m_ownDialogs.reset(&m_dialogs);
}

GraphOptionsWindow::GraphOptionsWindow(QWidget* parent, SettingsStore& store, ChartOpener openChart,
                                       FileDialogs& dialogs)
    : QDialog(parent), m_dialogs(dialogs), m_openChart(std::move(openChart)),
      m_kindLabel(addLabel(u"Label1"_s, u"Select Graph"_s)), m_kind(new QComboBox(this)),
      m_titleLabel(addLabel(u"Label2"_s, u"Title"_s)), m_title(new QLineEdit(u"Enter title here"_s, this)),
      m_startLabel(addLabel(u"Label3"_s, u"Start Date"_s)), m_start(new QLineEdit(this)),
      m_endLabel(addLabel(u"Label4"_s, u"End Date"_s)), m_end(new QLineEdit(this)),
      m_userLabel(addLabel(u"Label7"_s, u"User Name"_s)), m_user(new QLineEdit(this)),
      m_typeLabel(addLabel(u"Label5"_s, u"Graph Type"_s)), m_type(new QComboBox(this)),
      m_twoD(new QRadioButton(u"2D"_s, this)), m_threeD(new QRadioButton(u"3D"_s, this)),
      m_legend(new QCheckBox(u"Show Legend"_s, this)),
      m_sampleLabel(addLabel(u"Label6"_s, u"Sample Graph"_s)), m_sample(new ChartView(this)),
      m_hint(addLabel(u"Label8"_s, {})), m_customPath(addLabel(u"Label9"_s, {})),
      m_graph(addCommandButton(this, u"Command1"_s, u"&Graph"_s, u" Build graph "_s)),
      m_close(addCommandButton(this, u"Command4"_s, u"C&lose"_s, u" Close screen "_s))
{
    useDesignFont(this);
    nameControls();
    placeControls();
    // The layout is recorded at the design size, then the remembered size is applied.
    new WindowBehaviour(this, store, u"4"_s,
                        {m_kindLabel, m_titleLabel, m_startLabel, m_endLabel, m_typeLabel, m_sampleLabel,
                         m_userLabel, m_hint});
    connectControls();
    open();
}

GraphOptionsWindow::~GraphOptionsWindow() = default;

QLabel* GraphOptionsWindow::addLabel(const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(name);
    return label;
}

void GraphOptionsWindow::nameControls()
{
    m_kind->setObjectName(u"Combo1"_s);
    m_title->setObjectName(u"Text1"_s);
    m_start->setObjectName(u"Text2"_s);
    m_end->setObjectName(u"Text3"_s);
    m_user->setObjectName(u"Text4"_s);
    m_type->setObjectName(u"Combo2"_s);
    m_twoD->setObjectName(u"Option1"_s);
    m_threeD->setObjectName(u"Option2"_s);
    m_legend->setObjectName(u"Check1"_s);
    m_sample->setObjectName(u"MSChart1"_s);
}

void GraphOptionsWindow::placeControls()
{
    m_twoD->setChecked(true);
    m_legend->setChecked(true);
    m_hint->setWordWrap(true);
    m_customPath->setWordWrap(true);
    m_sample->setChartData(sampleChartData());

    resize(twipsToPixels(QSizeF(designWidthTwips, designHeightTwips), *this));
    const QList<std::pair<QLabel*, QWidget*>> rows = {{m_kindLabel, m_kind},   {m_titleLabel, m_title},
                                                      {m_startLabel, m_start}, {m_endLabel, m_end},
                                                      {m_userLabel, m_user},   {m_typeLabel, m_type}};
    for (int i = 0; i < rows.size(); ++i) {
        placeInTwips(rows[i].first, 120, 150 + i * 450, 1200, 285);
        placeInTwips(rows[i].second, 1440, 105 + i * 450, 2900, 345);
    }
    placeInTwips(m_twoD, 1440, 2850, 800, 300);
    placeInTwips(m_threeD, 2340, 2850, 800, 300);
    placeInTwips(m_legend, 1440, 3300, 2000, 300);
    placeInTwips(m_customPath, 120, 3750, 4220, 900);
    placeInTwips(m_sampleLabel, 4560, 150, 2000, 285);
    placeInTwips(m_sample, 4560, 480, 5055, 4320);
    placeInTwips(m_hint, 4560, 4860, 5055, 480);
    placeInTwips(m_graph, 7215, 5580, 1100, 420);
    placeInTwips(m_close, 8415, 5580, 1100, 420);
}

void GraphOptionsWindow::connectControls()
{
    connect(m_kind, &QComboBox::activated, this, &GraphOptionsWindow::pickGraphKind);
    connect(m_type, &QComboBox::activated, this, &GraphOptionsWindow::pickChartType);
    // The two buttons exclude each other, so the 3D one alone tells the choice.
    connect(m_threeD, &QRadioButton::toggled, this, &GraphOptionsWindow::showDimension);
    connect(m_legend, &QCheckBox::toggled, m_sample, &ChartView::setLegendVisible);
    connect(m_graph, &QPushButton::clicked, this, &GraphOptionsWindow::graph);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

void GraphOptionsWindow::open()
{
    setWindowTitle(MessageBoxes::title + u" - Graph Option Screen"_s);
    m_kind->addItems(graphKinds());
    m_kind->setCurrentText(graphKinds().first());
    pickGraphKind();
    for (const ChartType type : {ChartType::Line, ChartType::Bar, ChartType::Area, ChartType::Step})
        m_type->addItem(chartTypeText(type));
    m_type->setCurrentText(chartTypeText(ChartType::Line));
    pickChartType();
    const QString today = QDate::currentDate().toString(u"MM/dd/yy"_s);
    m_start->setText(today);
    m_end->setText(today);
    customGraphStatement().clear();
}

GraphChoice GraphOptionsWindow::choice() const
{
    GraphChoice choice;
    choice.kind = m_kind->currentText();
    choice.title = m_title->text();
    choice.startDate = m_start->text();
    choice.endDate = m_end->text();
    choice.userName = m_user->text();
    choice.userNameVisible = !m_user->isHidden();
    choice.chartType = m_type->currentText();
    choice.twoD = m_twoD->isChecked();
    choice.legend = m_legend->isChecked();
    choice.rotationHint = m_hint->text();
    choice.customStatement = customGraphStatement();
    return choice;
}

void GraphOptionsWindow::pickGraphKind()
{
    customGraphStatement().clear();
    m_customPath->clear();
    const QString kind = m_kind->currentText();
    m_userLabel->setVisible(needsUserName(kind));
    m_user->setVisible(needsUserName(kind));
    const bool custom = kind == customGraphKind();
    for (QWidget* dateControl : QList<QWidget*>{m_startLabel, m_endLabel, m_start, m_end})
        dateControl->setVisible(!custom);
    // Cancelling the file dialog leaves "Custom" picked with no statement.
    if (custom && !loadCustomStatement())
        return;
    m_title->setFocus();
}

bool GraphOptionsWindow::loadCustomStatement()
{
    const QString path =
        m_dialogs.showOpenDialog(this, u"SQL Files (*.sql)|*.sql"_s, u"Open File"_s, applicationFolder());
    if (path.isEmpty())
        return false;
    m_customPath->setText(path);
    customGraphStatement() = readCustomStatementFile(path);
    return true;
}

void GraphOptionsWindow::pickChartType()
{
    const std::optional<ChartType> type = chartTypeFromText(m_type->currentText());
    if (type)
        m_sample->setChartType(chartTypeCode(*type, m_threeD->isChecked()));
}

void GraphOptionsWindow::showDimension()
{
    m_hint->setText(m_threeD->isChecked() ? rotationHint : QString());
    pickChartType();
}

void GraphOptionsWindow::graph()
{
    const std::optional<JetDateTime> start = parseJetDateText(m_start->text());
    if (!start)
        return refuseDate(u"Invalid start date."_s, m_start);
    const std::optional<JetDateTime> end = parseJetDateText(m_end->text());
    if (!end)
        return refuseDate(u"Invalid end date."_s, m_end);
    if (jetLinearSeconds(*end) < jetLinearSeconds(*start))
        return refuseDate(u"Start date can't be greater than end date."_s, m_start);
    if (m_kind->currentText() == customGraphKind() && customGraphStatement().isEmpty()) {
        pickGraphKind();
        if (m_customPath->text().isEmpty())
            return;
    }
    m_openChart(this, choice());
}

void GraphOptionsWindow::refuseDate(const QString& message, QLineEdit* box)
{
    MessageBoxes::show(this, message, MessageBoxes::Icon::Warning);
    box->setFocus();
}

} // namespace corvane
