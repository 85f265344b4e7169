#include "gui/ui/WindowSize.h"

#include "core/settings/SettingConversions.h"
#include "core/settings/SettingsStore.h"
#include "gui/ui/Twips.h"

#include <QScreen>
#include <QWidget>

namespace corvane {

namespace {

const QString optionsSection = QStringLiteral("Options");

double storedDimension(const SettingsStore& store, const QString& key, double designValue)
{
    const auto value = singleFromText(store.get(optionsSection, key, QString::number(designValue)));
    return value ? *value : designValue;
}

} // namespace

void LimitWindowSize(QWidget* window, int minWidthTwips, int minHeightTwips, int maxWidthTwips,
                     int maxHeightTwips)
{
    window->setMinimumSize(twipsToPixels(QSizeF(minWidthTwips, minHeightTwips), *window));
    window->setMaximumSize(twipsToPixels(QSizeF(maxWidthTwips, maxHeightTwips), *window));
}

QSizeF screenSizeTwips(const QWidget* window)
{
    return pixelsToTwips(window->screen()->size(), *window);
}

QPointF centredPosition(const QSizeF& screenTwips, const QSizeF& windowTwips)
{
    return {(screenTwips.width() - windowTwips.width()) / 2,
            (screenTwips.height() - windowTwips.height()) * 0.9 / 2};
}

void centreWindow(QWidget* window)
{
    const QSizeF windowTwips = pixelsToTwips(window->frameGeometry().size(), *window);
    const QPointF position = centredPosition(screenSizeTwips(window), windowTwips);
    window->move(window->screen()->geometry().topLeft() + twipsToPixels(position, *window));
}

QSizeF storedWindowSize(const SettingsStore& store, const QString& keySuffix)
{
    return {storedDimension(store, u"Width" + keySuffix, designWidthTwips),
            storedDimension(store, u"Height" + keySuffix, designHeightTwips)};
}

void storeWindowSize(SettingsStore& store, const QString& keySuffix, const QSizeF& sizeTwips)
{
    store.save(optionsSection, u"Height" + keySuffix, QString::number(sizeTwips.height()));
    store.save(optionsSection, u"Width" + keySuffix, QString::number(sizeTwips.width()));
}

} // namespace corvane
