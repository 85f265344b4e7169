#include "gui/ui/AboutBox.h"
#include "gui/ui/LinkLabel.h"
#include "mock/CaptionFit.h"
#include "mock/ScriptedHelpOpener.h"
#include "mock/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace corvane;
using namespace Qt::StringLiterals;
using Answer = UserInterfacePort::Answer;
using Result = UrlOpener::Result;

namespace {

// Records every address and answers with the result the test chose.
struct ScriptedOpener : UrlOpener
{
    ScriptedOpener(Result result, QList<QUrl>& opened) : result(result), opened(opened) {}
    Result open(const QUrl& url) override
    {
        opened.append(url);
        return result;
    }
    Result result;
    QList<QUrl>& opened;
};

class AboutBoxTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("CORVANE_NET_HOME", home.path().toUtf8()); }
    void TearDown() override { qunsetenv("CORVANE_NET_HOME"); }

    std::unique_ptr<AboutBox> openBox(Result result = Result::Opened)
    {
        auto help = std::make_unique<test::ScriptedHelpOpener>();
        helpOpener = help.get();
        auto box = std::make_unique<AboutBox>(nullptr, std::make_unique<ScriptedOpener>(result, opened),
                                              std::move(help));
        box->show();
        return box;
    }

    template <typename W = LinkLabel> static W* control(const AboutBox& box, const char* name)
    {
        auto* widget = box.findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static void click(const AboutBox& box, const char* link)
    {
        QTest::mouseClick(control(box, link), Qt::LeftButton, {}, QPoint(2, 2));
    }

    static QString action(const AboutBox& box) { return control<QLabel>(box, "Label3")->text(); }

    QStringList warnings() const
    {
        QStringList texts;
        for (const auto& message : boxes.messages) {
            EXPECT_EQ(message.icon, UserInterfacePort::Icon::Warning);
            texts.append(message.text);
        }
        return texts;
    }

    QTemporaryDir home;
    test::ScriptedMessageBoxes boxes;
    QList<QUrl> opened;
    test::ScriptedHelpOpener* helpOpener = nullptr;
};

TEST_F(AboutBoxTest, ShowsItsTextsAndCaptions)
{
    const auto box = openBox();
    const QStringList lines = control<QPlainTextEdit>(*box, "Text1")->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 8) << lines.join(u'|').toStdString();
    EXPECT_TRUE(QRegularExpression(u"^Corvane Net \\d+\\.\\d+$"_s).match(lines[0]).hasMatch());
    EXPECT_TRUE(lines[2].startsWith(u"Copyright"));
    for (const char* detail :
         {"creat", "delet", "archiv", "last access", "per directory and day", "sensitive"})
        EXPECT_TRUE(lines[5].contains(QLatin1String(detail))) << detail;
    EXPECT_EQ(lines[7],
              u"For ordering info, questions, enhancement ideas, etc., please drop me an e-mail."_s);
    EXPECT_EQ(QStringList({lines[1], lines[4], lines[6]}).join(QString()), QString());

    EXPECT_EQ(control(*box, "Label1")->text(), u"Email me"_s);
    EXPECT_EQ(control(*box, "Label2")->text(), u"Go to my web site"_s);
    EXPECT_EQ(control(*box, "Label4")->text(), u"Open FAQ file"_s);
    EXPECT_EQ(control(*box, "Label5")->text(), u"Corvane Local"_s);
    EXPECT_EQ(action(*box), QString());
    EXPECT_EQ(control<QPushButton>(*box, "Command1")->text(), u"&OK"_s);
    EXPECT_EQ(QFontInfo(control<QPlainTextEdit>(*box, "Text1")->font()).family(), u"Liberation Sans"_s);
    // The emblem comes from the resources compiled into the program.
    EXPECT_EQ(control<QLabel>(*box, "Image1")->pixmap().size(), QSize(64, 64));
}

TEST_F(AboutBoxTest, EveryCaptionFitsItsControlInTheDesignFont)
{
    const auto box = openBox();
    ASSERT_EQ(QFontInfo(box->font()).family(), u"Liberation Sans"_s)
        << "the design font is missing: install fonts-liberation (scripts/install-deps.sh)";
    EXPECT_EQ(test::clippedCaptions(*box), "");
}

TEST_F(AboutBoxTest, ALinkTurnsRedUnderTheMouseAndAllTurnBlueOverTheBackground)
{
    const auto box = openBox();
    LinkLabel* web = control(*box, "Label2");
    QEnterEvent enter(QPointF(2, 2), web->mapTo(box.get(), QPointF(2, 2)), web->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(web, &enter);
    EXPECT_EQ(web->colour(), QColor(Qt::red));
    EXPECT_EQ(control(*box, "Label1")->colour(), QColor(Qt::blue));

    QTest::mouseMove(box.get(), control<QPlainTextEdit>(*box, "Text1")->geometry().center());
    EXPECT_EQ(web->colour(), QColor(Qt::red)); // the text box is not background
    ASSERT_EQ(box->childAt(1, 1), nullptr);
    QTest::mouseMove(box.get(), QPoint(1, 1));
    EXPECT_EQ(web->colour(), QColor(Qt::blue));
}

TEST_F(AboutBoxTest, TheLinksGoToTheMakerAndTheHelpFileOfTheApplicationFolder)
{
    const auto box = openBox();
    click(*box, "Label1");
    EXPECT_EQ(action(*box), u"Send e-mail message to: support@corvane.example"_s);
    click(*box, "Label2");
    EXPECT_EQ(action(*box), u"Go to page: https://corvane.example/"_s);
    click(*box, "Label4");
    const QString faq = home.path() + u"/faq.fil";
    EXPECT_EQ(action(*box), u"Open file: "_s + faq);
    EXPECT_EQ(opened,
              (QList<QUrl>{QUrl(u"mailto:support@corvane.example"_s), QUrl(u"https://corvane.example/"_s)}));
    EXPECT_EQ(helpOpener->opened, QStringList{faq});
    EXPECT_EQ(warnings(), QStringList());
}

TEST_F(AboutBoxTest, EachWayOfFailingHasItsMessage)
{
    const auto box = openBox(Result::NoHandler);
    click(*box, "Label2");
    EXPECT_EQ(warnings(), QStringList{u"Could not find associated browser."_s});

    // Where no program takes the help file, the program shows it itself, or says why it cannot.
    boxes.messages.clear();
    helpOpener->programTakesIt = false;
    click(*box, "Label4");
    EXPECT_EQ(warnings(), QStringList{u"The help file "_s + home.path() +
                                      u"/faq.fil cannot be shown: No such file or directory."_s});
    QFile faq(home.filePath(u"faq.fil"_s));
    ASSERT_TRUE(faq.open(QIODevice::WriteOnly));
    faq.write("1. WHAT DOES IT RECORD?\n");
    faq.close();
    click(*box, "Label4");
    QDialog* shown = test::openTextFileWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(test::textOf(*shown), u"1. WHAT DOES IT RECORD?\n"_s);
    EXPECT_EQ(shown->parentWidget(), box.get());

    boxes.messages.clear();
    const auto failing = openBox(Result::Failed);
    click(*failing, "Label1");
    EXPECT_EQ(warnings(), QStringList{u"Web page not opened."_s});
}

TEST_F(AboutBoxTest, TheOtherProgramIsOfferedAndNoDoesNothing)
{
    const auto box = openBox();
    boxes.answers = {Answer::No, Answer::Yes};
    click(*box, "Label5");
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(boxes.questions.size(), 1);
    EXPECT_TRUE(boxes.questions[0].contains(u"Corvane Local"));

    click(*box, "Label5");
    EXPECT_EQ(opened, QList<QUrl>{QUrl(AboutBox::otherProgramDownload)});
}

TEST_F(AboutBoxTest, OkAndEscClose)
{
    auto box = openBox();
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());

    box = openBox();
    QTest::mouseClick(control<QPushButton>(*box, "Command1"), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->result(), QDialog::Accepted);
}

} // namespace
