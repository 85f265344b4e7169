#pragma once

#include "core/graphs/GraphChoice.h"
#include "core/settings/SettingsStore.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane {

class ChartView;

// The chart window (Form5): runs the statement of a graph choice on cv.mdb, read-only, and
// draws the rows as a chart, which it can print. The data is read while the window opens;
// when the statement fails or returns no rows the user is told so and there is no chart to
// show.
class ChartWindow : public QDialog
{
    Q_OBJECT

public:
    ChartWindow(QWidget* parent, SettingsStore& store, const GraphChoice& choice);

    // False when the statement failed or returned no rows: the window is then not shown.
    bool hasChart() const { return m_hasChart; }
    ChartView* chartView() const { return m_chart; }

    // To the default printer, or with none to a PDF file in the application folder. The chart
    // is drawn straight onto the page: the clipboard is left as the user had it.
    void print();

    static QString pdfFileName() { return QStringLiteral("chart.pdf"); }

private:
    void placeControls();
    void open(const GraphChoice& choice);

    bool m_hasChart = false;
    ChartView* m_chart;
    QLabel* m_hint;
    QPushButton* m_print;
    QPushButton* m_close;
};

// Opens the chart window of the choice modally, owned by the given window; when there is no
// chart, only the message about it is seen.
void showChartWindow(QWidget* owner, SettingsStore& store, const GraphChoice& choice);

} // namespace corvane
