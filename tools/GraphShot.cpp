// Renders the chart window of one graph choice into a PNG file, for the README's pictures:
//     cv_graph_shot OUTPUT.png KIND START END TYPE 2D|3D
// It reads cv.mdb of the application folder (CORVANE_NET_HOME) and the settings of
// CORVANE_NET_REGISTRY. A 3D chart needs OpenGL, so run it on a display (xvfb-run).

#include "core/graphs/GraphChoice.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"
#include "gui/graphs/ChartView.h"
#include "gui/graphs/ChartWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>

#include <cstdio>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// The window as it is on screen; the 3D graph is painted in from its own rendering, which a
// grab of the window leaves blank.
QImage windowPicture(ChartWindow& window)
{
    QImage picture = window.grab().toImage();
    QPainter painter(&picture);
    const ChartView& chart = *window.chartView();
    const qreal scale = picture.devicePixelRatio();
    painter.drawImage(QRectF(QPointF(chart.geometry().topLeft()) * scale, QSizeF(chart.size()) * scale),
                      chart.chartImage(chart.size()));
    return picture;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 7) {
        std::fputs("usage: cv_graph_shot OUTPUT.png KIND START END TYPE 2D|3D\n", stderr);
        return 2;
    }
    Registry registry(Registry::locationFromEnvironment());
    SettingsStore store(registry);
    GraphChoice choice;
    choice.kind = args[2];
    choice.title = args[2];
    choice.startDate = args[3];
    choice.endDate = args[4];
    choice.chartType = args[5];
    choice.twoD = args[6] != u"3D"_s;
    if (!choice.twoD)
        choice.rotationHint = u"To rotate 3D chart press the CTRL key and use left mouse button."_s;

    ChartWindow window(nullptr, store, choice);
    if (!window.hasChart())
        return 1;
    window.resize(960, 600);
    window.show();
    QEventLoop settle; // the 3D graph draws its first frames
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    return windowPicture(window).save(args[1]) ? 0 : 1;
}
