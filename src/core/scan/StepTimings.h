#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

namespace corvane {

// How long the steps of a scan run took, so that an administrator (CORVANE_NET_TIMINGS=1 with
// `cv --scan`) and the benchmark can see where a run spends its time.
class StepTimings
{
public:
    struct Step
    {
        QString name;
        qint64 nanoseconds = 0;
    };

    // Measures from its making to its end.
    class Scope
    {
    public:
        Scope(StepTimings& timings, QString name);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        StepTimings& m_timings;
        QString m_name;
        QElapsedTimer m_timer;
    };

    Scope measure(const QString& name) { return Scope(*this, name); }
    void clear() { m_steps.clear(); }
    // A step measured more than once (each repetition of a run) adds up.
    const QList<Step>& steps() const { return m_steps; }
    // One line per step: name, seconds, share of the whole run (the step named "run").
    QString report() const;

private:
    void add(const QString& name, qint64 nanoseconds);

    QList<Step> m_steps;
};

} // namespace corvane
