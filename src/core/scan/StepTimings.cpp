#include "core/scan/StepTimings.h"

namespace corvane {

using namespace Qt::StringLiterals;

StepTimings::Scope::Scope(StepTimings& timings, QString name) : m_timings(timings), m_name(std::move(name))
{
    m_timer.start();
}

StepTimings::Scope::~Scope()
{
    m_timings.add(m_name, m_timer.nsecsElapsed());
}

void StepTimings::add(const QString& name, qint64 nanoseconds)
{
    for (Step& step : m_steps) {
        if (step.name == name) {
            step.nanoseconds += nanoseconds;
            return;
        }
    }
    m_steps.append({name, nanoseconds});
}

QString StepTimings::report() const
{
    qint64 whole = 0;
    for (const Step& step : m_steps) {
        if (step.name == u"run")
            whole = step.nanoseconds;
    }
    QString text;
    for (const Step& step : m_steps) {
        text += u"%1 %2 s"_s.arg(step.name, -12).arg(step.nanoseconds / 1e9, 9, 'f', 3);
        if (whole > 0)
            text += u" %1 %"_s.arg(100.0 * static_cast<double>(step.nanoseconds) / static_cast<double>(whole),
                                   6, 'f', 1);
        text += u'\n';
    }
    return text;
}

} // namespace corvane
