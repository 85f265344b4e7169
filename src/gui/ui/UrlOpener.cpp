#include "gui/ui/UrlOpener.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QUrl>

namespace corvane {

UrlOpener::Result DesktopUrlOpener::open(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return Result::Opened;
    // Qt does not say why it failed. Without the freedesktop launcher no handler of
    // the desktop could have been found; with it, starting the handler failed.
    return QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() ? Result::NoHandler
                                                                                : Result::Failed;
}

} // namespace corvane
