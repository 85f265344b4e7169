#pragma once

#include "gui/app/Form1Controls.h"

#include <QObject>

namespace corvane {

class DaysToKeepBox;
class StartTimeList;

// The option and automation controls as mirrors of their models: a click or a choice
// goes to the model, whose rules may change other boxes; the controls show what the
// models say. The days box lets only digits be typed and is normalised when left.
class OptionPanel : public QObject
{
    Q_OBJECT

public:
    OptionPanel(const Form1Controls& controls, OptionBoxes& boxes, DaysToKeepBox& days,
                StartTimeList& startTimes, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectBoxes();
    void connectButtons();
    void connectDaysBox();
    void connectStartTimes();
    void showDays(const QString& text);
    void showStartTime(const QString& text);

    const Form1Controls& m_c;
    OptionBoxes& m_boxes;
    DaysToKeepBox& m_days;
    StartTimeList& m_startTimes;
};

} // namespace corvane
