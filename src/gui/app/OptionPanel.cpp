#include "gui/app/OptionPanel.h"

#include "core/settings/AutomationFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace corvane {

OptionPanel::OptionPanel(const Form1Controls& controls, OptionBoxes& boxes, DaysToKeepBox& days,
                         StartTimeList& startTimes, QObject* parent)
    : QObject(parent), m_c(controls), m_boxes(boxes), m_days(days), m_startTimes(startTimes)
{
    connectBoxes();
    connectButtons();
    connectDaysBox();
    connectStartTimes();
}

void OptionPanel::connectBoxes()
{
    for (int i = 0; i < optionBoxCount; ++i) {
        const auto box = static_cast<OptionBox>(i);
        // clicked comes from the user only, so showing the model's state cannot loop back.
        connect(m_c.box(box), &QCheckBox::clicked, this,
                [this, box](bool on) { m_boxes.setChecked(box, on); });
    }
    connect(&m_boxes, &OptionBoxes::checkedChanged, this,
            [this](OptionBox box, bool on) { m_c.box(box)->setChecked(on); });
    connect(&m_boxes, &OptionBoxes::keepRunningVisibleChanged, m_c.box(OptionBox::cbKeepRunning),
            &QWidget::setVisible);
}

void OptionPanel::connectButtons()
{
    connect(m_c.Command6, &QPushButton::clicked, &m_boxes, &OptionBoxes::selectAllInformation);
    connect(m_c.Command7, &QPushButton::clicked, &m_boxes, &OptionBoxes::selectNoInformation);
    connect(m_c.Command8, &QPushButton::clicked, &m_boxes, &OptionBoxes::selectAllTables);
    connect(m_c.Command9, &QPushButton::clicked, &m_boxes, &OptionBoxes::selectNoTables);
}

void OptionPanel::connectDaysBox()
{
    m_c.Text1->setMaxLength(DaysToKeepBox::maxLength);
    m_c.Text1->installEventFilter(this);
    connect(m_c.Text1, &QLineEdit::textEdited, &m_days, &DaysToKeepBox::setText);
    connect(&m_days, &DaysToKeepBox::textChanged, this, &OptionPanel::showDays);
}

void OptionPanel::connectStartTimes()
{
    m_c.Combo1->addItems(StartTimeList::entries());
    m_c.Combo1->setCurrentIndex(-1);
    // A stored time that is no entry shows as the placeholder; it is the chosen time all the
    // same, so it takes the colour of a chosen entry, not the grey of a hint.
    QPalette palette = m_c.Combo1->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::PlaceholderText, palette.color(group, QPalette::ButtonText));
    m_c.Combo1->setPalette(palette);
    connect(m_c.Combo1, &QComboBox::activated, &m_startTimes, &StartTimeList::choose);
    connect(&m_startTimes, &StartTimeList::textChanged, this, &OptionPanel::showStartTime);
}

bool OptionPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_c.Text1)
        return false;
    if (event->type() == QEvent::FocusOut) {
        m_days.leave();
    } else if (event->type() == QEvent::KeyPress) {
        // Typed characters only: editing keys and shortcuts such as paste carry no printable text.
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && typed.at(0).isPrint() && !DaysToKeepBox::acceptsTypedCharacter(typed.at(0)))
            return true;
    }
    return false;
}

void OptionPanel::showDays(const QString& text)
{
    if (m_c.Text1->text() == text)
        return;
    // A number stored by hand may be longer than can be typed; it is shown whole.
    m_c.Text1->setMaxLength(std::max<int>(DaysToKeepBox::maxLength, static_cast<int>(text.size())));
    m_c.Text1->setText(text);
}

void OptionPanel::showStartTime(const QString& text)
{
    // A time that is no entry (the default "05:00 p") is shown but selects nothing.
    m_c.Combo1->setCurrentIndex(m_startTimes.selectedIndex());
    m_c.Combo1->setPlaceholderText(text);
}

} // namespace corvane
