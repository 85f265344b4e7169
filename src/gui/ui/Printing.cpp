#include "gui/ui/Printing.h"

#include "core/common/AppFolder.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

using namespace Qt::StringLiterals;

namespace corvane {

PrintReport printReport(const PrintResult& printed, const QString& subject)
{
    if (!printed.error.isEmpty())
        return {u"Unable to print "_s + subject + u". \r\n"_s + printed.error + u'.', true};
    if (!printed.pdfPath.isEmpty())
        return {u"No printer is set up: "_s + subject + u" written to "_s + printed.pdfPath + u'.', false};
    QString text = subject + u" sent to printer."_s;
    text[0] = text[0].toUpper();
    return {text, false};
}

PrintResult printPages(const QString& pdfFileName,
                       const std::function<void(QPainter&, QPrinter&)>& paintPages)
{
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    PrintResult result;
    std::unique_ptr<QPrinter> printer;
    if (defaultPrinter.isNull()) {
        result.pdfPath = applicationFolder() + pdfFileName;
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(result.pdfPath);
    } else {
        printer = std::make_unique<QPrinter>(defaultPrinter, QPrinter::HighResolution);
    }
    QPainter painter;
    if (!painter.begin(printer.get())) {
        result.error = result.pdfPath.isEmpty()
                           ? u"The printer "_s + defaultPrinter.printerName() + u" cannot be opened"_s
                           : u"The file "_s + result.pdfPath + u" cannot be written"_s;
        result.pdfPath.clear();
        return result;
    }
    paintPages(painter, *printer);
    if (!painter.end())
        result.error = u"The print job could not be finished"_s;
    return result;
}

} // namespace corvane
