#include "TableExport.h"

#include "ExportColumns.h"
#include "PageRenderer.h"
#include "PendingFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPdfWriter>

namespace tarvo::suite {

QString unreadableDataError() {
    return QCoreApplication::translate("tarvo::suite::TableExport", "打印数据无法读取");
}

std::optional<ExportFormat> exportFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx")
        return ExportFormat::Xlsx;
    if (suffix == u"csv")
        return ExportFormat::Csv;
    if (suffix == u"pdf")
        return ExportFormat::Pdf;
    return std::nullopt;
}

std::optional<ExportColumnTypes> ExportColumnTypes::parse(const QString& types,
                                                          const QString& sizes) {
    ExportColumnTypes out;
    const QStringList t = types.split(u',', Qt::SkipEmptyParts);
    const QStringList s = sizes.split(u',', Qt::SkipEmptyParts);
    if (t.isEmpty() || t.size() != s.size())
        return std::nullopt;
    for (int i = 0; i < t.size(); ++i) {
        bool okType = false;
        bool okSize = false;
        out.types << t[i].trimmed().toInt(&okType);
        out.sizes << s[i].trimmed().toInt(&okSize);
        if (!okType || !okSize)
            return std::nullopt;
    }
    return out;
}

std::optional<QString> writePdf(const ExportJob& job) {
    if (!job.pages)
        return unreadableDataError();
    PendingFile pending(job.path);
    if (auto error = pending.open())
        return error;
    // Fonts of their own for the thread that paints.
    PageRenderer pages(*job.pages);
    {
        QPdfWriter pdf(pending.name());
        pdf.setResolution(int(PageRenderer::kDpi));
        pdf.setTitle(job.sheetName);
        pdf.setCreator(QStringLiteral("TarvoArchive"));
        pdf.setPageLayout(job.style->page);
        if (!pages.render(&pdf, job.progress))
            return unreadableDataError();
    }
    if (pages.glyphNames().mendFile(pending.name()) == PdfGlyphNames::Mending::CannotWrite)
        return QCoreApplication::translate("tarvo::suite::TableExport", "无法写入文件");
    return pending.commit();
}

} // namespace tarvo::suite
