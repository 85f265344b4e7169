#include "gui/ui/MessageBoxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace corvane;
using namespace Qt::StringLiterals;
using Answer = UserInterfacePort::Answer;

namespace {

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Looks at the box that is about to run modally, then presses one of its buttons.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButton(box->defaultButton())};
        box->button(press)->click();
    });
}

TEST(MessageBoxes, WarningsAndQuestionsAreTitledWithTheProgramsName)
{
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);
    MessageBoxes::show(nullptr, u"Web page not opened."_s);
    EXPECT_EQ(seen.title, u"Corvane Net"_s);
    EXPECT_EQ(seen.text, u"Web page not opened."_s);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    for (const Answer defaultAnswer : {Answer::No, Answer::Yes}) {
        answerNextBox(seen, QMessageBox::Yes);
        EXPECT_EQ(MessageBoxes::askYesNo(nullptr, u"Delete all paths?"_s, defaultAnswer), Answer::Yes);
        EXPECT_EQ(seen.title, u"Corvane Net"_s);
        EXPECT_EQ(seen.icon, QMessageBox::Question);
        EXPECT_EQ(seen.defaultButton, defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    }
    answerNextBox(seen, QMessageBox::No);
    EXPECT_EQ(MessageBoxes::askYesNo(nullptr, u"Download it?"_s, Answer::Yes), Answer::No);
}

} // namespace
