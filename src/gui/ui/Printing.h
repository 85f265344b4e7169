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

// Paints the pages on the default printer or, where none is set up, into a PDF file of that
// name in the application folder, so that printing never goes nowhere unnoticed.
PrintResult printPages(const QString& pdfFileName,
                       const std::function<void(QPainter&, QPrinter&)>& paintPages);

} // namespace corvane
