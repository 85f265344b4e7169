#pragma once

#include <QString>

class QPainter;
class QPrinter;
class QWidget;

namespace corvane {

class QueryModel;
class QueryUser;

// The query window's ways of moving statements and rows in and out: statement files, the
// printed listing, the clipboard and the CSV file. Rows are read afresh from the first to the
// last, so the grid's cache and current row stay as they were.
class QueryOutput
{
public:
    static const QString statementFilter;

    QueryOutput(QWidget* window, QueryUser& user, QueryModel& model);

    // The text of a chosen statement file, comment lines kept; empty when cancelled.
    QString openStatementFile();
    void saveStatementFile(const QString& text);
    // To the default printer, or with none to a PDF file in the application folder.
    void print(const QString& heading);
    void copyToClipboard();
    // True when the file was written.
    bool saveCsvFile();

    static QString pdfFileName() { return QStringLiteral("query.pdf"); }

private:
    void printListing(QPainter& painter, QPrinter& printer, const QString& heading);
    void reportCsvError(long number, const QString& description);
    void offerToOpen(const QString& path);

    QWidget* m_window;
    QueryUser& m_user;
    QueryModel& m_model;
};

} // namespace corvane
