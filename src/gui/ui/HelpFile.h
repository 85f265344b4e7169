#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace corvane {

// Hands a text file to the desktop's program for text files. Tests put a scripted one in its
// place.
class TextFileOpener
{
public:
    // Called once the desktop has answered: false when no program took the file.
    using Answer = std::function<void(bool opened)>;

    virtual ~TextFileOpener() = default;
    virtual void open(const QString& path, Answer answer) = 0;
};

// The freedesktop launcher: its exit status says whether a program took the file, so it is
// waited for without blocking the window.
class DesktopTextFileOpener final : public TextFileOpener
{
public:
    explicit DesktopTextFileOpener(QString launcher = QStringLiteral("xdg-open"));
    void open(const QString& path, Answer answer) override;

private:
    QString m_launcher;
};

// The help file faq.fil (F1, and the about box's "Open FAQ file"): in the desktop's program for
// text files, or where there is none in a plain read-only window of its own, owned by the
// owner when it still exists. When even that cannot read the file, a message says why.
void showHelpFile(QWidget* owner, const QString& path, TextFileOpener& opener);

} // namespace corvane
