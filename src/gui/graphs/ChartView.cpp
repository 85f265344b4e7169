#include "gui/graphs/ChartView.h"

#include "gui/graphs/ChartSeries.h"
#include "gui/graphs/FlatChartBuilder.h"
#include "gui/graphs/ThreeDChartBuilder.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QLabel>
#include <QLegend>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

ChartType typeOfCode(int code)
{
    return chartTypeOfCode(code).value_or(ChartType::Line);
}

QFont titleFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 1.4);
    font.setBold(true);
    return font;
}

} // namespace

ChartView::ChartView(QWidget* parent)
    : QWidget(parent), m_code(chartTypeCode(ChartType::Line, false)), m_layout(new QVBoxLayout(this)),
      m_fallbackLabel(new QLabel(flatFallbackText(), this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_fallbackLabel->setObjectName(u"fallbackLabel"_s);
    m_fallbackLabel->setWordWrap(true);
    m_layout->addWidget(m_fallbackLabel);
    rebuild();
}

QString ChartView::flatFallbackText()
{
    return u"3D charts need OpenGL, which this display does not offer; shown flat."_s;
}

void ChartView::setChartData(const ChartData& data)
{
    m_data = data;
    rebuild();
}

void ChartView::setChartType(int code)
{
    m_code = code;
    rebuild();
}

void ChartView::setTitle(const QString& title)
{
    m_title = title;
    rebuild();
}

void ChartView::setLegendVisible(bool visible)
{
    m_legend = visible;
    rebuild();
}

bool ChartView::fellBackToFlat() const
{
    return isThreeDimensionalCode(m_code) && !threeDChartsAvailable();
}

void ChartView::rebuild()
{
    // The old chart goes first: a 3D graph made while another still exists loses its axes and
    // labels once that other one is deleted.
    delete m_body;
    m_graph = nullptr;
    const bool threeD = isThreeDimensionalCode(m_code) && threeDChartsAvailable();
    m_body = threeD ? threeDChartWidget() : flatChartWidget();
    m_fallbackLabel->setVisible(fellBackToFlat());
    m_layout->addWidget(m_body, 1);
}

QWidget* ChartView::flatChartWidget() const
{
    QChart* chart = buildFlatChart(m_data, typeOfCode(m_code));
    chart->setTitle(m_title);
    chart->setTitleFont(titleFont(font()));
    chart->legend()->setVisible(m_legend);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setObjectName(u"flatChart"_s);
    return view;
}

// DataVisualization draws neither title nor legend: labels above and below the graph do.
QWidget* ChartView::threeDChartWidget()
{
    auto* body = new QWidget;
    body->setObjectName(u"threeDChart"_s);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(m_title, body);
    title->setFont(titleFont(font()));
    title->setAlignment(Qt::AlignCenter);
    title->setVisible(!m_title.isEmpty());
    m_graph = buildThreeDGraph(m_data, typeOfCode(m_code));
    m_graph->installEventFilter(this);
    QWidget* container = QWidget::createWindowContainer(m_graph, body);
    container->setMinimumSize(120, 80);
    auto* legend = new QLabel(legendHtml(), body);
    legend->setObjectName(u"threeDLegend"_s);
    legend->setAlignment(Qt::AlignCenter);
    legend->setWordWrap(true); // a narrow chart, as the options window's sample, takes two lines
    legend->setVisible(m_legend);
    layout->addWidget(title);
    layout->addWidget(container, 1);
    layout->addWidget(legend);
    return body;
}

// Once clicked, the graph's own window has the keyboard; the graph uses no keys, so they go
// on to the widgets around it, where Esc closes the dialog. A resized graph is seen from as
// near as its new size allows.
bool ChartView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_graph && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        QCoreApplication::sendEvent(this, event);
        return true;
    }
    if (watched == m_graph && event->type() == QEvent::Resize)
        fitThreeDGraphTo(m_graph, m_graph->size());
    return QWidget::eventFilter(watched, event);
}

QString ChartView::legendHtml() const
{
    QString html;
    for (int column = 0; column < m_data.columnCount(); ++column) {
        // Kept whole, with room between entries, where a line may break.
        html +=
            u"<span style=\"white-space:nowrap\"><span style=\"color:%1\">&#9632;</span>&nbsp;%2</span>"
            "&nbsp;&nbsp; "_s.arg(seriesColor(column).name(), m_data.columnLabels[column].toHtmlEscaped());
    }
    return html;
}

QImage ChartView::chartImage(const QSize& size) const
{
    if (m_graph)
        return threeDImage(size);
    // A chart of its own, so the one on show keeps its size.
    std::unique_ptr<QWidget> view(flatChartWidget());
    view->resize(size);
    return view->grab().toImage();
}

// The graph's own rendering (a grab of its window stays blank), with title and legend drawn
// above and below it.
QImage ChartView::threeDImage(const QSize& size) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QFont title = titleFont(font());
    const int titleHeight = m_title.isEmpty() ? 0 : QFontMetrics(title).height() * 2;
    const int legendHeight = m_legend ? fontMetrics().height() * 2 : 0;
    const QRect graphArea(0, titleHeight, size.width(), size.height() - titleHeight - legendHeight);
    // Fitted to the picture for the rendering, then to the window again.
    fitThreeDGraphTo(m_graph, graphArea.size());
    painter.drawImage(graphArea.topLeft(), m_graph->renderToImage(0, graphArea.size()));
    fitThreeDGraphTo(m_graph, m_graph->size());
    painter.setFont(title);
    painter.drawText(QRect(0, 0, size.width(), titleHeight), Qt::AlignCenter, m_title);
    if (!m_legend)
        return image;
    painter.setFont(font());
    const int y = graphArea.bottom() + 1;
    const int box = fontMetrics().height() / 2 + 2;
    int total = 0;
    for (const QString& name : m_data.columnLabels)
        total += box + fontMetrics().horizontalAdvance(name) + 3 * box;
    int x = std::max(0, (size.width() - total) / 2);
    for (int column = 0; column < m_data.columnCount(); ++column) {
        painter.fillRect(QRect(x, y + (legendHeight - box) / 2, box, box),
                         seriesColor(column));
        x += box + box / 2;
        painter.drawText(QRect(x, y, size.width(), legendHeight), Qt::AlignVCenter,
                         m_data.columnLabels[column]);
        x += fontMetrics().horizontalAdvance(m_data.columnLabels[column]) + 2 * box + box / 2;
    }
    return image;
}

} // namespace corvane
