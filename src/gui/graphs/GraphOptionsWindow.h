#pragma once

#include "core/graphs/GraphChoice.h"
#include "core/settings/SettingsStore.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

class ChartView;
class FileDialogs;

// Shows the chart of a choice modally, owned by the given window, and returns when it closes.
using ChartOpener = std::function<void(QWidget* owner, const GraphChoice& choice)>;

// The graph options window (Form4): what to chart over which days, for which user, drawn how.
// A sample chart previews the chart type and the legend; Graph checks the dates and hands the
// choice to the chart window, and the window stays open for the next chart.
class GraphOptionsWindow : public QDialog
{
    Q_OBJECT

public:
    GraphOptionsWindow(QWidget* parent, SettingsStore& store, ChartOpener openChart);
    // Tests pass scripted file dialogs.
    GraphOptionsWindow(QWidget* parent, SettingsStore& store, ChartOpener openChart, FileDialogs& dialogs);
    ~GraphOptionsWindow() override;

    // Everything the chart window reads from this window, as the controls hold it now.
    GraphChoice choice() const;

    void pickGraphKind();
    void pickChartType();
    void graph();

private:
    QLabel* addLabel(const QString& name, const QString& caption);
    void nameControls();
    void placeControls();
    void connectControls();
    void open();
    bool loadCustomStatement();
    void showDimension();
    void refuseDate(const QString& message, QLineEdit* box);

    std::unique_ptr<FileDialogs> m_ownDialogs;
    FileDialogs& m_dialogs;
    ChartOpener m_openChart;

    QLabel* m_kindLabel;
    QComboBox* m_kind;
    QLabel* m_titleLabel;
    QLineEdit* m_title;
    QLabel* m_startLabel;
    QLineEdit* m_start;
    QLabel* m_endLabel;
    QLineEdit* m_end;
    QLabel* m_userLabel;
    QLineEdit* m_user;
    QLabel* m_typeLabel;
    QComboBox* m_type;
    QRadioButton* m_twoD;
    QRadioButton* m_threeD;
    QCheckBox* m_legend;
    QLabel* m_sampleLabel;
    ChartView* m_sample;
    QLabel* m_hint;
    QLabel* m_customPath;
    QPushButton* m_graph;
    QPushButton* m_close;
};

} // namespace corvane
