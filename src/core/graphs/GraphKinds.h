#pragma once

#include "core/graphs/GraphChoice.h"

#include <QString>
#include <QStringList>

namespace corvane {

// The graph kinds of the options window's list, in list order; the last one is "Custom".
const QStringList& graphKinds();
QString customGraphKind();

// A kind charts the events of one user exactly when its text contains "User" (case-sensitive).
bool needsUserName(const QString& kind);

// The custom graph statement: read from its file by the options window, run by the chart window,
// empty when none is loaded. One for the whole program.
QString& customGraphStatement();

// The Jet statement of the chosen kind over the chosen range (and user, for the per-user kinds);
// "Custom" gives the custom statement, a kind not in the list an empty text.
QString buildGraphStatement(const GraphChoice& choice);

// "Corvane Net - <kind>", with " Name Like '<user>'" after it while the user-name box shows.
QString chartWindowCaption(const GraphChoice& choice);

} // namespace corvane
