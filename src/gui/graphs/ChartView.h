#pragma once

#include "core/graphs/ChartData.h"

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QtDataVisualization/QAbstract3DGraph>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace corvane {

// The chart of the graph windows: the data grid drawn as one of the eight chart types (codes
// as in chartTypeCode), with a title and a legend that can be hidden. Flat charts are drawn
// with QtCharts, 3D ones with DataVisualization. Where the display offers no OpenGL, a 3D
// choice is drawn flat and a label says so.
class ChartView : public QWidget
{
    Q_OBJECT

public:
    explicit ChartView(QWidget* parent = nullptr);

    void setChartData(const ChartData& data);
    void setChartType(int code);
    void setTitle(const QString& title);
    void setLegendVisible(bool visible);

    int chartType() const { return m_code; }
    bool legendVisible() const { return m_legend; }
    QString title() const { return m_title; }
    // True when a 3D type was asked for and is drawn flat for want of OpenGL.
    bool fellBackToFlat() const;
    // The 3D graph on show; none while a flat chart is.
    QAbstract3DGraph* threeDGraph() const { return m_graph; }
    // The chart as a picture of the given size, for printing.
    QImage chartImage(const QSize& size) const;

    static QString flatFallbackText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    QWidget* flatChartWidget() const;
    QWidget* threeDChartWidget();
    QString legendHtml() const;
    QImage threeDImage(const QSize& size) const;

    ChartData m_data;
    int m_code;
    QString m_title;
    bool m_legend = true;

    QVBoxLayout* m_layout;
    QLabel* m_fallbackLabel;
    QWidget* m_body = nullptr;
    QPointer<QAbstract3DGraph> m_graph; // the 3D graph on show, if any
};

} // namespace corvane
