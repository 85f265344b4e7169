#pragma once

#include "gui/ui/HelpFile.h"
#include "gui/ui/UrlOpener.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLayout;
class QPlainTextEdit;
class QUrl;

namespace corvane {

class LinkLabel;

// Form3, the program's information window: name and version, the maker's notice, a
// description, and links to write to the maker, visit the maker's web site, read the
// help file and learn about the maker's other program. Opened modally; OK and Esc close it.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    static const QString makerEmail;
    static const QString makerWebPage;
    static const QString otherProgramName;
    static const QString otherProgramDownload;

    explicit AboutBox(QWidget* parent = nullptr,
                      std::unique_ptr<UrlOpener> opener = std::make_unique<DesktopUrlOpener>(),
                      std::unique_ptr<TextFileOpener> helpOpener = std::make_unique<DesktopTextFileOpener>());
    ~AboutBox() override;

protected:
    // Over the background every link turns back to blue.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Name and version, the notice, the description and the request for mail.
    static QString aboutText();
    void buildControls();
    QLayout* buildLinks();
    LinkLabel* addLink(const QString& name, const QString& caption, void (AboutBox::*onClick)());
    void openWebAddress(const QUrl& url);

    void Label1_Click();
    void Label2_Click();
    void Label4_Click();
    void Label5_Click();

    std::unique_ptr<UrlOpener> m_opener;
    std::unique_ptr<TextFileOpener> m_helpOpener;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_action = nullptr;
    QList<LinkLabel*> m_links;
};

} // namespace corvane
