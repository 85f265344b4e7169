#pragma once

#include <QDate>
#include <QString>

namespace corvane {

// Dates the demo network in folder (its netware.conf and the volumes inside the folder) to a day,
// so that a scan on that day records events in every table. For every volume with a template
// beside its folder (VOLUME-FOLDER.meta.in) the volume's metadata is written from the template,
// {today}, {today-N} and {today+N} becoming dates, and every file of the volume gets modification
// and access times on that day. false, with the reason in failure, when something cannot be done.
bool prepareDemoVolume(const QString& folder, const QDate& today, QString* failure = nullptr);

} // namespace corvane
