#include "documents/PagedOutput.h"

#include "documents/PdfText.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>

using namespace Qt::Literals::StringLiterals;

namespace {

const QMarginsF Margins(12, 12, 12, 12);

} // namespace

QString PrintFontFamily()
{
    return u"Noto Sans CJK SC"_s;
}

QFont PrintFont(double points, bool bBold)
{
    QFont font(PrintFontFamily());
    font.setPointSizeF(points);
    font.setBold(bBold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QString WritePdf(const QString& path, const QString& title, const PagePainter& paint,
                 QPageLayout::Orientation orientation)
{
    // Written beside the target, which it replaces only when whole.
    QTemporaryFile part(path + u".XXXXXX"_s);
    if (!part.open())
        return QFileInfo(path).dir().exists() ? u"无法写入该文件"_s : u"文件夹不存在"_s;
    // Painted into memory first: the text's map is mended before the file
    // is written (WithIdeographsForRadicals).
    QBuffer painted;
    painted.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&painted);
        writer.setTitle(title);
        writer.setCreator(u"qe"_s);
        writer.setResolution(300);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), orientation, Margins, QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer))
            return u"无法写入该文件"_s;
        paint(painter, writer);
        if (!painter.end())
            return u"无法写入该文件"_s;
    }
    if (part.write(WithIdeographsForRadicals(painted.buffer(), PrintFontFamily())) !=
        painted.size())
        return u"无法写入该文件"_s;
    part.close();
    // A temporary file is the owner's alone; the export is a normal file.
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (part.error() != QFileDevice::NoError || (QFile::exists(path) && !QFile::remove(path)) ||
        !part.rename(path))
        return u"无法写入该文件"_s;
    part.setAutoRemove(false);
    return {};
}

bool PrintPages(QWidget* owner, const QString& title, const PagePainter& paint,
                QPageLayout::Orientation orientation)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), orientation, Margins, QPageLayout::Millimeter));
    if (!Platform().SetUpPrinter(owner, &printer))
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paint(painter, printer);
    return painter.end();
}
