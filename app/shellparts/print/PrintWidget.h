#pragma once
// Printing the form: the widget as it looks on screen, on one page, as large as the page's
// printable area allows without changing its proportions, and centred on it.

#include <QRectF>
#include <QSizeF>

class QPrinter;
class QWidget;

namespace quenmar {

// Where content of the given size lands on a page: scaled by the same factor in both
// directions so that it just fits, centred. Empty when either size is empty.
QRectF FitCentred(const QSizeF& content, const QRectF& page);

// Prints the widget (with its children) on one page of the printer, which the caller has set
// up (printer, file, page size; the print dialog is the caller's). False when the widget has
// no size or the printer cannot be started or finished (for example a PDF file that cannot be
// written); nothing is printed then.
bool PrintWidget(QWidget& widget, QPrinter& printer);

}  // namespace quenmar
