#include "gui/app/LastScanLabel.h"

#include <QLabel>
#include <QPushButton>

namespace corvane {

LastScanLabel::LastScanLabel(QLabel* label, QPushButton* purgeToday)
    : m_label(label), m_purgeToday(purgeToday)
{}

QString LastScanLabel::text() const
{
    return m_label->text();
}

void LastScanLabel::setText(const QString& text)
{
    m_label->setText(text);
    m_purgeToday->setVisible(!text.isEmpty());
}

} // namespace corvane
