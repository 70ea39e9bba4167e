#pragma once

#include <QFont>
#include <QPageLayout>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QWidget;

// Pages drawn once for paper and for PDF: the painter is begun on an A4
// device with 12 mm margins; the routine calls device.newPage() between
// pages.
using PagePainter = std::function<void(QPainter& painter, QPagedPaintDevice& device)>;

// The face of printed pages: one with every Chinese glyph.
QString PrintFontFamily();
// The font of printed pages at a size. Latin runs are drawn unshaped: a
// digit shaped beside letters takes a glyph that the PDF's text map cannot
// name, and a reader would lose it to search and copy.
QFont PrintFont(double points, bool bBold = false);

// Writes the pages to a PDF file; an empty text, or why it could not.
QString WritePdf(const QString& path, const QString& title, const PagePainter& paint,
                 QPageLayout::Orientation orientation = QPageLayout::Portrait);
// Asks for a printer through the platform seam and prints the pages; false
// when the user cancelled or the printer could not be started.
bool PrintPages(QWidget* owner, const QString& title, const PagePainter& paint,
                QPageLayout::Orientation orientation = QPageLayout::Portrait);
