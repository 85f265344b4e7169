#pragma once

#include <QObject>
#include <QStringList>

namespace corvane {

class Clock;
class SettingsStore;
struct ScanSettings;

// The days box of "Auto-purge data after": whenever its text changes (typed or
// set from code) it moves PurgeDate to today plus that many days.
class DaysToKeepBox : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxLength = 4;

    DaysToKeepBox(ScanSettings& settings, SettingsStore& store, const Clock& clock);

    QString text() const { return m_text; }
    // Runs the change handling when the text differs from the current one.
    void setText(const QString& text);
    // Only digits and Backspace may be typed into the box.
    static bool acceptsTypedCharacter(QChar character);
    // Leaving the box normalises the number; the fewest days kept is 1.
    void leave();

Q_SIGNALS:
    void textChanged(const QString& text);

private:
    ScanSettings& m_settings;
    SettingsStore& m_store;
    const Clock& m_clock;
    QString m_text;
};

// The start-time list of "Auto-start scan at ": 48 times of day, and StartTime
// as its text, which need not be one of them.
class StartTimeList : public QObject
{
    Q_OBJECT

public:
    explicit StartTimeList(ScanSettings& settings);

    // "12:00 am", "12:30 am", ... "11:30 pm".
    static const QStringList& entries();

    QString text() const;
    // The entry equal to the text, or -1.
    int selectedIndex() const;
    // Shows the stored StartTime (at start-up).
    void applyStoredStartTime();
    // Choosing from the list is the only way to change StartTime.
    void choose(int index);

Q_SIGNALS:
    void textChanged(const QString& text);

private:
    ScanSettings& m_settings;
};

} // namespace corvane
