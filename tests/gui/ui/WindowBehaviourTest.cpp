#include "gui/ui/WindowBehaviour.h"
#include "core/settings/SettingsStore.h"
#include "gui/ui/Twips.h"
#include "gui/ui/WindowSize.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QScreen>

#include <memory>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// A window as the program builds one: controls at design positions, then the behaviour.
class QueryLikeWindow : public QDialog
{
public:
    QueryLikeWindow(const SettingsStore& store, const QString& keySuffix)
    {
        resize(twipsToPixels(QSizeF(designWidthTwips, designHeightTwips), *this));
        label->setGeometry(10, 20, 100, 16);
        new WindowBehaviour(this, store, keySuffix, {label});
        show();
    }

    QLabel* label = new QLabel(QStringLiteral("Query"), this);
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!refuseClose); }
};

class WindowBehaviourTest : public ::testing::Test
{
protected:
    QString stored(const QString& key) const { return store.get(u"Options"_s, key, u"<missing>"_s); }

    test::TempRegistry temp;
    SettingsStore store{temp.registry};
};

TEST_F(WindowBehaviourTest, TheSizeIsRememberedAcrossOpeningsAndTheControlsFollowIt)
{
    auto window = std::make_unique<QueryLikeWindow>(store, u"2"_s);
    const QSize design = window->size();
    EXPECT_EQ(window->minimumSize(), design);
    EXPECT_EQ(window->maximumSize(), window->screen()->size());
    const QSize larger = design + QSize(120, 90); // within every screen
    window->resize(larger);
    window->reject();
    const QSizeF twips = pixelsToTwips(larger, *window);
    EXPECT_EQ(stored(u"Width2"_s), QString::number(twips.width()));
    EXPECT_EQ(stored(u"Height2"_s), QString::number(twips.height()));
    EXPECT_EQ(stored(u"Width"_s), u"<missing>"_s); // the main window's keys are its own

    window = std::make_unique<QueryLikeWindow>(store, u"2"_s);
    EXPECT_EQ(window->size(), larger);
    const double x = static_cast<double>(larger.width()) / design.width();
    const double y = static_cast<double>(larger.height()) / design.height();
    EXPECT_EQ(window->label->geometry(),
              QRect(qRound(10 * x), qRound(20 * y), qRound(100 * x), qRound(16 * y)));
    window->resize(design);
    EXPECT_EQ(window->label->geometry(), QRect(10, 20, 100, 16));
}

TEST_F(WindowBehaviourTest, AStoredSizeBelowTheDesignSizeIsRaisedToIt)
{
    store.save(u"Options"_s, u"Width4"_s, u"1500"_s);
    store.save(u"Options"_s, u"Height4"_s, u"1500"_s);
    QueryLikeWindow window(store, u"4"_s);
    EXPECT_EQ(window.size(), window.minimumSize());
}

TEST_F(WindowBehaviourTest, ARefusedCloseStoresNothing)
{
    QueryLikeWindow window(store, u"5"_s);
    window.refuseClose = true;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(stored(u"Width5"_s), u"<missing>"_s);
    window.refuseClose = false;
    EXPECT_TRUE(window.close());
    EXPECT_NE(stored(u"Width5"_s), u"<missing>"_s);
}

} // namespace
