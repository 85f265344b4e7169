#pragma once

#include "core/db/AuditDatabaseFixture.h"
#include "gui/query/QueryUser.h"

#include <QList>
#include <QStringList>

namespace corvane::test {

// A scripted user of the query window: answers from queues, records what it was shown.
class FakeQueryUser : public QueryUser
{
public:
    struct Message
    {
        QString text;
        QString title;
        Icon icon;
    };

    QString showOpenDialog(QWidget*, const QString& filter, const QString& title, const QString&) override
    {
        dialogs.append(title + u'|' + filter);
        return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
    }
    QString showSaveDialog(QWidget* owner, const QString& filter, const QString& title,
                           const QString& folder) override
    {
        return showOpenDialog(owner, filter, title, folder);
    }
    QString askText(QWidget*, const QString& prompt, const QString& title,
                    const QString& defaultText) override
    {
        prompts.append(prompt + u'|' + title + u'|' + defaultText);
        return typed.isEmpty() ? QString() : typed.takeFirst();
    }
    void showMessage(QWidget*, const QString& text, const QString& title, Icon icon) override
    {
        messages.append({text, title, icon});
    }
    bool askYesNo(QWidget*, const QString& question) override
    {
        questions.append(question);
        return !yesNo.isEmpty() && yesNo.takeFirst();
    }
    bool openDocument(const QString& path) override
    {
        opened.append(path);
        return openSucceeds;
    }
    void beep() override { ++beeps; }

    QStringList chosenFiles, typed, dialogs, prompts, questions, opened;
    QList<bool> yesNo;
    QList<Message> messages;
    bool openSucceeds = true;
    int beeps = 0;
};

// A cv.mdb in a temporary application folder, with three rows in Detail.
struct QueryTestFolder
{
    QueryTestFolder()
    {
        qputenv("CORVANE_NET_HOME", temp.folder.path().toUtf8());
        AuditDatabase writer;
        if (writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError())
            return;
        appendRows(writer, QStringLiteral("Detail"),
                   {detailRow(u"b.txt", u"JO", 20), detailRow(u"a.txt", u"ADMIN", 10),
                    detailRow(u"c.txt", u"KIM", 30)});
    }
    ~QueryTestFolder() { qunsetenv("CORVANE_NET_HOME"); }

    static Fields detailRow(const char16_t* file, const char16_t* owner, int bytes)
    {
        return {{QStringLiteral("Directory"), QStringLiteral("SYS:\\DATA")},
                {QStringLiteral("owner"), QString::fromUtf16(owner)},
                {QStringLiteral("file"), QString::fromUtf16(file)},
                {QStringLiteral("Bytes"), bytes}};
    }
    QString inFolder(const QString& name) const { return temp.folder.filePath(name); }

    TempAuditDatabase temp;
};

} // namespace corvane::test
