#include "gui/ui/WindowLayout.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>

using namespace corvane;

namespace {

// Controls at fixed design positions, as the program's windows place them; one of
// them hidden, one inside a frame, one with child widgets of its own.
class WindowLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(650, 410);
        auto* label = new QLabel(QStringLiteral("Paths to scan"), &window);
        auto* frame = new QGroupBox(QStringLiteral("Options"), &window);
        controls = {label, frame, new QCheckBox(QStringLiteral("Exe"), frame), new QListWidget(&window),
                    new QPushButton(QStringLiteral("&Delete"), &window)};
        const QList<QRect> geometries{{16, 20, 200, 18},
                                      {300, 40, 300, 200},
                                      {10, 22, 120, 20},
                                      {16, 60, 250, 200},
                                      {500, 350, 100, 30}};
        for (qsizetype i = 0; i < controls.size(); ++i) {
            controls[i]->setGeometry(geometries[i]);
            QFont font = controls[i]->font();
            font.setPointSizeF(8 + i);
            controls[i]->setFont(font);
        }
        controls.last()->hide();
        RecordLayout(&window, layout);
    }

    void resizeTo(int width, int height)
    {
        window.resize(width, height);
        ResizeLayout(&window, layout);
    }

    void expectScaled(int x, int y, int font)
    {
        for (const WindowLayout::Control& design : layout.controls) {
            const QRect& r = design.geometry;
            EXPECT_EQ(design.widget->geometry(), QRect(r.x() * x, r.y() * y, r.width() * x, r.height() * y));
            EXPECT_EQ(design.widget->font().pointSizeF(), design.fontSize * font);
        }
    }

    QWidget window;
    QList<QWidget*> controls;
    WindowLayout layout;
};

TEST_F(WindowLayoutTest, RecordsThePlacedControlsButNotTheInsidesOfCompositeWidgets)
{
    QList<QWidget*> recorded;
    for (const auto& control : layout.controls)
        recorded.append(control.widget);
    EXPECT_EQ(recorded, controls);
    EXPECT_EQ(layout.clientSize, QSize(650, 410));
    EXPECT_EQ(layout.controls[2].geometry, QRect(10, 22, 120, 20)); // within its frame
    EXPECT_EQ(layout.controls[2].fontSize, 10);
}

TEST_F(WindowLayoutTest, DoublingTheWindowDoublesPositionsSizesAndFonts)
{
    resizeTo(1300, 820);
    expectScaled(2, 2, 2);
}

TEST_F(WindowLayoutTest, DoublingOnlyTheWidthKeepsHeightsAndFonts)
{
    resizeTo(1300, 410);
    expectScaled(2, 1, 1);
}

TEST_F(WindowLayoutTest, ShrinkingBackRestoresTheDesignExactly)
{
    resizeTo(1301, 733);
    resizeTo(0, 0); // minimised to nothing: fonts cannot follow and stay
    resizeTo(977, 1003);
    resizeTo(650, 410);
    expectScaled(1, 1, 1);
}

TEST_F(WindowLayoutTest, AControlDeletedAfterRecordingIsSkipped)
{
    delete controls.takeAt(3);
    resizeTo(1300, 820);
    EXPECT_EQ(controls[0]->geometry(), QRect(32, 40, 400, 36));
}

TEST(WindowLayoutOfMainWindow, TheCentralWidgetIsLeftToItsLayoutAndItsControlsScale)
{
    QMainWindow window;
    window.setCentralWidget(new QWidget);
    window.resize(650, 410);
    auto* label = new QLabel(QStringLiteral("System Messages"), window.centralWidget());
    label->setGeometry(16, 300, 120, 18);
    WindowLayout layout;
    RecordLayout(&window, layout);
    ASSERT_EQ(layout.controls.size(), 1);

    window.resize(1300, 820);
    ResizeLayout(&window, layout);
    EXPECT_EQ(label->geometry(), QRect(32, 600, 240, 36));
}

} // namespace
