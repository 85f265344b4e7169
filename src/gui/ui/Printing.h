#pragma once

#include <QString>

#include <functional>

class QPainter;
class QPrinter;

namespace corvane {

struct PrintResult
{
    QString pdfPath; // the PDF file written, when no printer is set up
    QString error;   // why nothing was printed; empty when it was
};

// What to tell the user after printing: subject names what was printed ("chart",
// "records"); a failure is the one outcome to show as a warning.
struct PrintReport
{
    QString text;
    bool failed = false;
};
PrintReport printReport(const PrintResult& printed, const QString& subject);

// Paints the pages on the default printer or, where none is set up, into a PDF file of that
// name in the application folder, so that printing never goes nowhere unnoticed.
PrintResult printPages(const QString& pdfFileName,
                       const std::function<void(QPainter&, QPrinter&)>& paintPages);

} // namespace corvane
