#include "gui/ui/WindowMover.h"
#include "gui/ui/Twips.h"
#include "gui/ui/WindowSize.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

using namespace corvane;

namespace {

class WindowMoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        window.move(100, 80);
        label->setGeometry(10, 10, 120, 20);
        frame->setGeometry(10, 60, 200, 150);
        button->setGeometry(20, 30, 80, 30);
        new WindowMover(&window, {&window, label, frame});
        window.show();
    }

    // A mouse event at a point of a widget, the cursor's screen position following the window.
    static void send(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                     Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }

    // Press, move by offset, release; the cursor's start is kept, as the window moves under it.
    static void drag(QWidget* widget, QPoint from, Qt::MouseButton button, QPoint offset)
    {
        const QPoint global = widget->mapToGlobal(from);
        for (const auto& [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(button)},
                                         std::pair{QEvent::MouseMove, Qt::MouseButtons(button)},
                                         std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons()}}) {
            const QPoint delta = type == QEvent::MouseButtonPress ? QPoint() : offset;
            QMouseEvent event(type, from + delta, global + delta,
                              type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
        }
    }

    QWidget window;
    QLabel* label = new QLabel(QStringLiteral("Paths to scan"), &window);
    QGroupBox* frame = new QGroupBox(QStringLiteral("Options"), &window);
    QPushButton* button = new QPushButton(QStringLiteral("All"), frame);
};

TEST_F(WindowMoverTest, TheLeftButtonOnALabelAFrameOrTheBackgroundMovesTheWholeWindow)
{
    drag(label, {5, 5}, Qt::LeftButton, {50, 30});
    EXPECT_EQ(window.pos(), QPoint(150, 110));
    send(label, QEvent::MouseMove, {90, 90}, Qt::NoButton, Qt::NoButton); // released: moves freely
    drag(frame, {5, 5}, Qt::LeftButton, {-20, 10});
    drag(&window, {300, 250}, Qt::LeftButton, {-20, 10});
    EXPECT_EQ(window.pos(), QPoint(110, 130));
}

TEST_F(WindowMoverTest, TheRightButtonDoesNothing)
{
    drag(label, {5, 5}, Qt::RightButton, {50, 30});
    send(label, QEvent::MouseButtonDblClick, {5, 5}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(window.pos(), QPoint(100, 80));
}

TEST_F(WindowMoverTest, APressOnAControlInsideAFrameIsTheControls)
{
    const QPoint onButton = button->geometry().center();
    drag(frame, onButton, Qt::LeftButton, {40, 40});
    send(frame, QEvent::MouseButtonDblClick, onButton, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(100, 80));
}

TEST_F(WindowMoverTest, DoubleClickingCentresTheWindowByItsFrame)
{
    send(label, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    const QSizeF screen = pixelsToTwips(window.screen()->size(), window);
    const QSizeF frameSize = pixelsToTwips(window.frameGeometry().size(), window);
    EXPECT_EQ(window.pos(), twipsToPixels(centredPosition(screen, frameSize), window));
    EXPECT_EQ(window.size(), QSize(400, 300));
}

} // namespace
