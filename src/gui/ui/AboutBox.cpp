#include "gui/ui/AboutBox.h"

#include "core/common/AppFolder.h"
#include "core/common/LocalScanner.h"
#include "gui/ui/AppIcon.h"
#include "gui/ui/DesignFont.h"
#include "gui/ui/LinkLabel.h"
#include "gui/ui/MessageBoxes.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace corvane {

namespace {

const QString notice = QStringLiteral("Copyright (c) 2026 Corvane Software.\n"
                                      "All rights reserved.");

const QString description = QStringLiteral(
    "Corvane Net watches the files on your NetWare servers. For every file it records who created it, "
    "who deleted it and who archived it, with its last access and archive dates, and it tallies the "
    "edited, created, deleted and archived files per directory and day, so that you can see what "
    "happens to your sensitive files.");

const QString otherProgramQuestion =
    localScannerName() +
    QStringLiteral(" is a scanner for local drives: it records the new, edited and deleted files on a "
                   "workstation's own disks day by day, as Corvane Net does for your file servers.\n\n"
                   "Would you like to download it now?");

} // namespace

const QString AboutBox::makerEmail = QStringLiteral("support@corvane.example");
const QString AboutBox::makerWebPage = QStringLiteral("https://corvane.example/");
const QString AboutBox::otherProgramName = localScannerName();
const QString AboutBox::otherProgramDownload =
    QStringLiteral("https://corvane.example/downloads/corvane-local/");

AboutBox::AboutBox(QWidget* parent, std::unique_ptr<UrlOpener> opener,
                   std::unique_ptr<TextFileOpener> helpOpener)
    : QDialog(parent), m_opener(std::move(opener)), m_helpOpener(std::move(helpOpener))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("About Corvane Net"));
    setWindowIcon(applicationIcon());
    setMouseTracking(true);
    useDesignFont(this);
    buildControls();
    m_text->setPlainText(aboutText());
}

AboutBox::~AboutBox() = default;

QString AboutBox::aboutText()
{
    const QString version = QStringLiteral("%1.%2").arg(CV_VERSION_MAJOR).arg(CV_VERSION_MINOR);
    return u"Corvane Net " + version + u"\n\n" + notice + u"\n\n" + description + u"\n\n" +
           u"For ordering info, questions, enhancement ideas, etc., please drop me an e-mail.";
}

void AboutBox::buildControls()
{
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(applicationIcon().pixmap(64, 64));
    grid->addWidget(image, 0, 0, Qt::AlignTop);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setFont(designFont(m_text->font(), 10));
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setFixedSize(420, 240);
    grid->addWidget(m_text, 0, 1, 1, 2);

    grid->addLayout(buildLinks(), 1, 1, 1, 2);

    m_action = new QLabel(this);
    m_action->setObjectName(QStringLiteral("Label3"));
    m_action->setWordWrap(true);
    m_action->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_action->setMinimumHeight(2 * fontMetrics().lineSpacing());
    grid->addWidget(m_action, 2, 1);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 2, 2, Qt::AlignRight | Qt::AlignBottom);
}

QLayout* AboutBox::buildLinks()
{
    auto* links = new QGridLayout;
    const auto place = [this, links](const char* name, const QString& caption, void (AboutBox::*onClick)(),
                                     int row, int column) {
        // Only the caption itself is the link, not the rest of its cell.
        links->addWidget(addLink(QLatin1String(name), caption, onClick), row, column, Qt::AlignLeft);
    };
    place("Label1", QStringLiteral("Email me"), &AboutBox::Label1_Click, 0, 0);
    place("Label2", QStringLiteral("Go to my web site"), &AboutBox::Label2_Click, 0, 1);
    place("Label4", QStringLiteral("Open FAQ file"), &AboutBox::Label4_Click, 1, 0);
    place("Label5", otherProgramName, &AboutBox::Label5_Click, 1, 1);
    links->setColumnStretch(2, 1);
    return links;
}

LinkLabel* AboutBox::addLink(const QString& name, const QString& caption, void (AboutBox::*onClick)())
{
    auto* link = new LinkLabel(caption, this);
    link->setObjectName(name);
    connect(link, &LinkLabel::clicked, this, onClick);
    m_links.append(link);
    return link;
}

void AboutBox::mouseMoveEvent(QMouseEvent* event)
{
    if (childAt(event->position().toPoint()) == nullptr) {
        for (LinkLabel* link : std::as_const(m_links))
            link->setColour(LinkLabel::normalColour);
    }
    QDialog::mouseMoveEvent(event);
}

void AboutBox::openWebAddress(const QUrl& url)
{
    switch (m_opener->open(url)) {
    case UrlOpener::Result::NoHandler:
        MessageBoxes::show(this, QStringLiteral("Could not find associated browser."));
        break;
    case UrlOpener::Result::Failed:
        MessageBoxes::show(this, QStringLiteral("Web page not opened."));
        break;
    case UrlOpener::Result::Opened:
        break;
    }
}

void AboutBox::Label1_Click()
{
    m_action->setText(u"Send e-mail message to: " + makerEmail);
    openWebAddress(QUrl(u"mailto:" + makerEmail));
}

void AboutBox::Label2_Click()
{
    m_action->setText(u"Go to page: " + makerWebPage);
    openWebAddress(QUrl(makerWebPage));
}

void AboutBox::Label4_Click()
{
    const QString faq = applicationFolder() + u"faq.fil";
    m_action->setText(u"Open file: " + faq);
    showHelpFile(this, faq, *m_helpOpener);
}

void AboutBox::Label5_Click()
{
    if (MessageBoxes::askYesNo(this, otherProgramQuestion, MessageBoxes::Answer::Yes) ==
        MessageBoxes::Answer::Yes)
        openWebAddress(QUrl(otherProgramDownload));
}

} // namespace corvane
