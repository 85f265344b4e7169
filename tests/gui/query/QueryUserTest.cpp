#include "gui/query/QueryUser.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QTimer>

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// The input box is wide enough for its whole title in a bold title bar with its buttons; at the
// width of its prompt and line, the window manager cut the title to "Creat... V) File".
TEST(DesktopQueryUser, AnInputBoxIsAsWideAsItsTitleNeeds)
{
    const QString title = u"Create a Comma Seperated Values (CSV) File"_s;
    int width = 0;
    QFont titleFont;
    auto* watch = new QTimer;
    watch->setInterval(0);
    QObject::connect(watch, &QTimer::timeout, watch, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        width = box->width();
        titleFont = box->font();
        box->setTextValue(u"report"_s);
        box->accept();
        watch->deleteLater();
    });
    watch->start();
    EXPECT_EQ(DesktopQueryUser().askText(nullptr, u"Enter file name"_s, title, u"results.csv"_s),
              u"report"_s);
    titleFont.setBold(true);
    EXPECT_GT(width, QFontMetrics(titleFont).horizontalAdvance(title) + 100) << width;
}

} // namespace
