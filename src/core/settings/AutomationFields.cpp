#include "core/settings/AutomationFields.h"

#include "core/common/Clock.h"
#include "core/common/DateTexts.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingConversions.h"
#include "core/settings/SettingsStore.h"

#include <QTime>

namespace corvane {

DaysToKeepBox::DaysToKeepBox(ScanSettings& settings, SettingsStore& store, const Clock& clock)
    : m_settings(settings), m_store(store), m_clock(clock)
{
}

void DaysToKeepBox::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT textChanged(m_text);

    const QDate today = m_clock.today();
    if (const auto days = int16FromText(m_text))
        m_settings.DaysToKeep = *days;
    const auto daysAhead = static_cast<qint64>(leadingNumber(m_text));
    m_store.save(QStringLiteral("System"), QStringLiteral("PurgeDate"), shortDateText(today.addDays(daysAhead)));
}

bool DaysToKeepBox::acceptsTypedCharacter(QChar character)
{
    return (character >= u'0' && character <= u'9') || character == QChar(u'\b');
}

void DaysToKeepBox::leave()
{
    setText(QString::number(static_cast<qint64>(leadingNumber(m_text))));
    if (m_text == u"0")
        setText(QStringLiteral("1"));
}

StartTimeList::StartTimeList(ScanSettings& settings) : m_settings(settings) {}

const QStringList& StartTimeList::entries()
{
    static const QStringList times = [] {
        QStringList list;
        for (int halfHour = 0; halfHour < 48; ++halfHour)
            list.append(QTime(halfHour / 2, (halfHour % 2) * 30).toString(QStringLiteral("hh:mm ap")));
        return list;
    }();
    return times;
}

QString StartTimeList::text() const
{
    return m_settings.StartTime;
}

int StartTimeList::selectedIndex() const
{
    return static_cast<int>(entries().indexOf(m_settings.StartTime));
}

void StartTimeList::applyStoredStartTime()
{
    Q_EMIT textChanged(m_settings.StartTime);
}

void StartTimeList::choose(int index)
{
    if (index < 0 || index >= entries().size())
        return;
    m_settings.StartTime = entries().at(index);
    Q_EMIT textChanged(m_settings.StartTime);
}

} // namespace corvane
