#include "gui/graphs/ChartWindow.h"

#include "core/graphs/ChartDataLoader.h"
#include "core/graphs/GraphKinds.h"
#include "gui/graphs/ChartView.h"
#include "gui/query/WaitCursor.h"
#include "gui/ui/CommandButton.h"
#include "gui/ui/DesignFont.h"
#include "gui/ui/MessageBoxes.h"
#include "gui/ui/Printing.h"
#include "gui/ui/Twips.h"
#include "gui/ui/WindowBehaviour.h"
#include "gui/ui/WindowSize.h"

#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// The picture at the top left of the page, as large as the page's width allows.
void paintChartPage(QPainter& painter, QPrinter& printer, const QImage& chart)
{
    const QSize page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    painter.drawImage(QRect(QPoint(0, 0), chart.size().scaled(page, Qt::KeepAspectRatio)), chart);
}

} // namespace

ChartWindow::ChartWindow(QWidget* parent, SettingsStore& store, const GraphChoice& choice)
    : QDialog(parent), m_chart(new ChartView(this)), m_hint(new QLabel(this)),
      m_print(addCommandButton(this, u"Command1"_s, u"&Print"_s, u" Print the graph "_s)),
      m_close(addCommandButton(this, u"Command4"_s, u"C&lose"_s, u" Close screen "_s))
{
    useDesignFont(this);
    placeControls();
    // The layout is recorded at the design size, then the remembered size is applied.
    new WindowBehaviour(this, store, u"5"_s, {m_hint});
    connect(m_print, &QPushButton::clicked, this, &ChartWindow::print);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    open(choice);
}

void ChartWindow::placeControls()
{
    m_chart->setObjectName(u"MSChart1"_s);
    m_hint->setObjectName(u"Label8"_s);
    resize(twipsToPixels(QSizeF(designWidthTwips, designHeightTwips), *this));
    placeInTwips(m_chart, 120, 120, 9495, 5040);
    placeInTwips(m_hint, 120, 5280, 6900, 285);
    placeInTwips(m_print, 7260, 5580, 1100, 420);
    placeInTwips(m_close, 8450, 5580, 1100, 420);
}

void ChartWindow::open(const GraphChoice& choice)
{
    setWindowTitle(chartWindowCaption(choice));
    m_hint->setText(choice.rotationHint);
    ChartDataLoad load;
    {
        const WaitCursor wait;
        load = loadChartData(buildGraphStatement(choice));
    }
    if (load.outcome == ChartDataLoad::Outcome::Failed) {
        MessageBoxes::show(this, load.error.description, MessageBoxes::Icon::None);
        return;
    }
    if (load.outcome == ChartDataLoad::Outcome::NoRows) {
        MessageBoxes::show(this, u"No records found."_s, MessageBoxes::Icon::Warning);
        return;
    }
    m_hasChart = true;
    m_chart->setTitle(choice.title.trimmed());
    m_chart->setLegendVisible(choice.legend);
    m_chart->setChartData(load.data);
    m_chart->setChartType(
        chartTypeCode(chartTypeFromText(choice.chartType).value_or(ChartType::Line), !choice.twoD));
}

void ChartWindow::print()
{
    PrintResult printed;
    {
        const WaitCursor wait;
        const QImage chart = m_chart->chartImage(m_chart->size());
        printed = printPages(pdfFileName(), [&chart](QPainter& painter, QPrinter& printer) {
            paintChartPage(painter, printer, chart);
        });
    }
    const PrintReport report = printReport(printed, u"chart"_s);
    MessageBoxes::show(this, report.text, report.failed ? MessageBoxes::Icon::Warning : MessageBoxes::Icon::None);
}

void showChartWindow(QWidget* owner, SettingsStore& store, const GraphChoice& choice)
{
    ChartWindow window(owner, store, choice);
    if (window.hasChart())
        window.exec();
}

} // namespace corvane
