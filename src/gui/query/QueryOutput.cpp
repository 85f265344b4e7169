#include "gui/query/QueryOutput.h"

#include "core/common/AppFolder.h"
#include "core/db/QueryCursor.h"
#include "core/query/QueryRowsOutput.h"
#include "core/query/QueryTexts.h"
#include "gui/query/QueryModel.h"
#include "gui/query/QueryUser.h"
#include "gui/query/WaitCursor.h"
#include "gui/ui/MessageBoxes.h"
#include "gui/ui/Printing.h"

#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace corvane {

const QString QueryOutput::statementFilter = u"SQL Files (*.sql)|*.sql"_s;

namespace {

// Draws lines one under the other, starting a new page when one is full.
class ListingPainter
{
public:
    ListingPainter(QPainter& painter, QPrinter& printer) : m_printer(printer), m_painter(painter)
    {
        QFont font(u"Courier New"_s, 10);
        font.setStyleHint(QFont::TypeWriter);
        m_painter.setFont(font);
    }

    void setBold(bool bold)
    {
        QFont font = m_painter.font();
        font.setBold(bold);
        m_painter.setFont(font);
    }

    void printLine(const QString& text)
    {
        const QFontMetrics metrics(m_painter.font(), &m_printer);
        if (m_y + metrics.height() >
            m_printer.pageLayout().paintRectPixels(m_printer.resolution()).height()) {
            m_printer.newPage();
            m_y = 0;
        }
        m_painter.drawText(0, m_y + metrics.ascent(), text);
        m_y += metrics.height();
    }

private:
    QPrinter& m_printer;
    QPainter& m_painter;
    int m_y = 0;
};

} // namespace

QueryOutput::QueryOutput(QWidget* window, QueryUser& user, QueryModel& model)
    : m_window(window), m_user(user), m_model(model)
{}

QString QueryOutput::openStatementFile()
{
    const QString path =
        m_user.showOpenDialog(m_window, statementFilter, u"Open File"_s, applicationFolder());
    if (path.isEmpty())
        return {};
    const WaitCursor wait;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd())
        lines.append(in.readLine());
    return statementFromFileLines(lines);
}

void QueryOutput::saveStatementFile(const QString& text)
{
    const QString path =
        m_user.showSaveDialog(m_window, statementFilter, u"Save File"_s, applicationFolder());
    if (path.isEmpty())
        return;
    const WaitCursor wait;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write((text + u"\r\n"_s).toUtf8());
}

void QueryOutput::print(const QString& heading)
{
    PrintResult printed;
    {
        const WaitCursor wait;
        printed = printPages(pdfFileName(), [&](QPainter& painter, QPrinter& printer) {
            printListing(painter, printer, heading);
        });
    }
    const PrintReport report = printReport(printed, u"records"_s);
    m_user.showMessage(m_window, report.text, MessageBoxes::title,
                       report.failed ? QueryUser::Icon::Warning : QueryUser::Icon::None);
}

void QueryOutput::printListing(QPainter& painter, QPrinter& printer, const QString& heading)
{
    ListingPainter listing(painter, printer);
    listing.setBold(true);
    for (const QString& line : heading.split(u'\n'))
        listing.printLine(line.trimmed());
    listing.setBold(false);
    listing.printLine({});
    listing.printLine({});
    QueryCursor cursor(m_model.database());
    qint64 rows = 0;
    if (!cursor.open(m_model.statement()).isError()) {
        for (; cursor.next(); ++rows)
            listing.printLine(listingLine(cursor.values()));
    }
    listing.printLine(u" "_s);
    listing.printLine(countCaption(rows));
}

void QueryOutput::copyToClipboard()
{
    const bool commaForm = m_user.askYesNo(m_window, u"Seperate field values with commas?"_s);
    int spaces = 0;
    if (!commaForm) {
        const std::optional<int> count = spaceCount(m_user.askText(
            m_window, u"Number of spaces between field values"_s, MessageBoxes::title, u"2"_s));
        if (!count)
            return;
        spaces = *count;
    }
    const WaitCursor wait;
    const DbResult<QString> text = clipboardText(m_model.database(), m_model.statement(), commaForm, spaces);
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setText(text.value);
    m_user.showMessage(m_window, QString::number(text.value.size()) + u" bytes copied to Clipboard."_s,
                       MessageBoxes::title, QueryUser::Icon::None);
}

bool QueryOutput::saveCsvFile()
{
    const QString name = m_user.askText(m_window, u"Enter file name"_s,
                                        u"Create a Comma Seperated Values (CSV) File"_s, u"results.csv"_s);
    if (name.isEmpty())
        return false;
    const QString path = applicationFolder() + csvFileName(name);
    DbError error;
    {
        const WaitCursor wait;
        error = writeCsvFile(m_model.database(), m_model.statement(), path);
    }
    if (error.isError()) {
        reportCsvError(error.number, error.description);
        return false;
    }
    offerToOpen(path);
    return true;
}

void QueryOutput::reportCsvError(long number, const QString& description)
{
    m_user.beep();
    QString text = u"Error "_s + QString::number(number) + u" : "_s + description;
    if (number == FileErrorNumber::PermissionDenied)
        text += u"\nFile is already open."_s;
    m_user.showMessage(m_window, text, u"Error Message"_s, QueryUser::Icon::Warning);
}

void QueryOutput::offerToOpen(const QString& path)
{
    if (!m_user.askYesNo(m_window,
                         u"File "_s + path + u" has been created.\nDo you want to open the file?"_s))
        return;
    if (!m_user.openDocument(path)) {
        m_user.beep();
        m_user.showMessage(m_window, u"Can't open file."_s, MessageBoxes::title, QueryUser::Icon::Warning);
    }
}

} // namespace corvane
