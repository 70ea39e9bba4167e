#pragma once

#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QWidget;

// Pages drawn once for paper and for PDF: the painter is begun on an A4
// device with 12 mm margins; the routine calls device.newPage() between
// pages.
using PagePainter = std::function<void(QPainter& painter, QPagedPaintDevice& device)>;

// The font of printed pages: a face with every Chinese glyph.
QString PrintFontFamily();
// Its fixed-width face, for what is copied from paper letter by letter (a
// password). Its digits beside letters are read back from a PDF, which the
// proportional face's are not.
QString PrintFixedFontFamily();

// Writes the pages to a PDF file; an empty text, or why it could not.
QString WritePdf(const QString& path, const QString& title, const PagePainter& paint);
// Asks for a printer through the platform seam and prints the pages; false
// when the user cancelled or the printer could not be started.
bool PrintPages(QWidget* owner, const QString& title, const PagePainter& paint);
