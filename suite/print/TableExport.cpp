#include "TableExport.h"

#include "ExportColumns.h"
#include "PageRenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

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
    QSaveFile file(job.path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QBuffer written;
    written.open(QIODevice::WriteOnly);
    PageRenderer renderer(*job.style, *job.dataXml);
    {
        QPdfWriter pdf(&written);
        pdf.setResolution(600);
        pdf.setTitle(job.sheetName);
        pdf.setCreator(QStringLiteral("TarvoArchive"));
        pdf.setPageLayout(job.style->page);
        if (!renderer.render(&pdf))
            return unreadableDataError();
    }
    const QByteArray names = PdfGlyphNames::update(written.data(), renderer.glyphNames().renames());
    if (file.write(written.data()) != written.size() || file.write(names) != names.size())
        return file.errorString();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace tarvo::suite
