#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

/// The text a PDF reader finds in the file, pages apart by form feeds.
inline QString pdfText(const QString& pdf) {
    QProcess reader;
    reader.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    EXPECT_TRUE(reader.waitForFinished(60000));
    EXPECT_EQ(reader.exitCode(), 0);
    return QString::fromUtf8(reader.readAllStandardOutput());
}

/// The text of each page of the file.
inline QStringList pdfPages(const QString& pdf) {
    QStringList pages = pdfText(pdf).split(u'\f');
    if (pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

/// The title a PDF reader shows for the file.
inline QString pdfTitle(const QString& pdf) {
    QProcess info;
    info.start("pdfinfo", {"-enc", "UTF-8", pdf});
    EXPECT_TRUE(info.waitForFinished(60000));
    static const QRegularExpression title(QStringLiteral("^Title:\\s*(.*)$"),
                                          QRegularExpression::MultilineOption);
    return title.match(QString::fromUtf8(info.readAllStandardOutput())).captured(1).trimmed();
}
