// A script's export in an English session: the PDF is painted on a thread of its own, and its
// page heads and feet must speak the session's language as its captions do; the workbook and the
// CSV carry English captions and English texts for flags and kinds.
#include "PdfText.h"
#include "SampleAccounts.h"
#include "TempDatabase.h"
#include "XlsxSheet.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

constexpr int kAccounts = 150;

QString codeOf(int i) {
    return QStringLiteral("E%1").arg(i, 3, 10, QLatin1Char('0'));
}

const QRegularExpression& chinese() {
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return han;
}

/// The English texts the list shows for account i (see addAccounts).
struct ShownTexts {
    QString suspended;
    QString signing;
    QString property;
};

ShownTexts englishTextsOf(int i) {
    static const QStringList properties = {"Basic deposit account", "General deposit account",
                                           "Other account"};
    // A stored signing flag of 1 shows the text of flag 0, as the card pairs them.
    return {i % 2 ? "Yes" : "No",
            i % 2 ? "Check payment accounts only" : "Check receiving and payment accounts",
            properties[i % 3]};
}

struct EnglishExport : ::testing::Test {
    TempDatabase temp;
    QTemporaryDir dir;

    void SetUp() override {
        QList<SampleAccount> accounts;
        for (int i = 1; i <= kAccounts; ++i)
            accounts.append({codeOf(i),
                             QStringLiteral("6222021%1").arg(i, 12, 10, QLatin1Char('0')),
                             QStringLiteral("英文会话账户%1").arg(i), 10.5, i % 2, i % 3, i % 2});
        storeSampleAccounts(temp.name(), accounts);
    }

    /// Exports the bank-account list of an English session into the named file.
    void exportInEnglish(const QString& file) {
        QProcess host;
        host.start(TARVO_ARCHIVE_EXE, {"--db", temp.name(), "--lang", "en-US", "--archive", "bank",
                                       "--sysid", "NB", "--export", dir.filePath(file)});
        ASSERT_TRUE(host.waitForFinished(90000));
        ASSERT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
    }
};

/// Checks one list, given as its caption row and its rows in the order of their codes.
void expectEnglishList(const QStringList& captions, const QVector<QStringList>& rows) {
    EXPECT_FALSE(captions.join(u' ').contains(chinese())) << captions.join(u'|').toStdString();
    const auto column = [&](const char* caption) {
        const qsizetype c = captions.indexOf(QString::fromLatin1(caption));
        EXPECT_GE(c, 0) << caption << " in " << captions.join(u'|').toStdString();
        return c;
    };
    const qsizetype code = column("Code");
    const qsizetype suspended = column("Suspended");
    const qsizetype signing = column("Signing Flag");
    const qsizetype property = column("Account Property");
    ASSERT_EQ(rows.size(), kAccounts);
    if (code < 0 || suspended < 0 || signing < 0 || property < 0)
        return;
    for (int i = 1; i <= kAccounts; ++i) {
        const QStringList& row = rows[i - 1];
        EXPECT_GT(row.size(), std::max({code, suspended, signing, property})) << "row " << i;
        if (row.size() <= std::max({code, suspended, signing, property}))
            continue;
        const ShownTexts want = englishTextsOf(i);
        EXPECT_EQ(row[code].toStdString(), codeOf(i).toStdString());
        EXPECT_EQ(row[suspended].toStdString(), want.suspended.toStdString()) << "row " << i;
        EXPECT_EQ(row[signing].toStdString(), want.signing.toStdString()) << "row " << i;
        EXPECT_EQ(row[property].toStdString(), want.property.toStdString()) << "row " << i;
    }
}

} // namespace

TEST_F(EnglishExport, EveryPageOfThePdfHasItsHeadAndFootInEnglish) {
    exportInEnglish("list.pdf");
    const QStringList pages = pdfPages(dir.filePath("list.pdf"));
    const int total = int(pages.size());
    ASSERT_GE(total, 2);
    static const QRegularExpression foot(QStringLiteral("Page\\s+(\\d+)\\s+of\\s+(\\d+)"));
    for (int p = 0; p < total; ++p) {
        const QString& page = pages[p];
        const auto m = foot.match(page);
        EXPECT_TRUE(m.hasMatch()) << "page " << p + 1 << ":\n" << page.toStdString();
        if (m.hasMatch()) {
            EXPECT_EQ(m.captured(1).toInt(), p + 1);
            EXPECT_EQ(m.captured(2).toInt(), total);
        }
        for (const char* head : {"Account:", "Operator:", "Printed:", "No."})
            EXPECT_TRUE(page.contains(QString::fromLatin1(head))) << head << " on " << p + 1;
        for (const QString& chineseHead : {QStringLiteral("账套"), QStringLiteral("操作员"),
                                           QStringLiteral("打印日期"), QStringLiteral("页")})
            EXPECT_FALSE(page.contains(chineseHead))
                << chineseHead.toStdString() << " on page " << p + 1;
    }
}

TEST_F(EnglishExport, TheWorkbookAndTheCsvCarryEnglishCaptionsAndTexts) {
    exportInEnglish("list.xlsx");
    const auto sheet = XlsxSheet::read(dir.filePath("list.xlsx"));
    ASSERT_TRUE(sheet);
    const auto cell = [&](int c, int r) {
        return sheet->at(QStringLiteral("%1%2").arg(QLatin1Char(char('A' + c))).arg(r));
    };
    QStringList captions;
    for (int c = 0; c < 26 && !cell(c, 1).type.isEmpty(); ++c)
        captions << cell(c, 1).value;
    // An empty cell may be left out of the sheet: every row is read as wide as the captions.
    QVector<QStringList> rows;
    for (int r = 2; r <= sheet->lastRow(); ++r) {
        QStringList& row = rows.emplace_back();
        for (int c = 0; c < captions.size(); ++c)
            row << cell(c, r).value;
    }
    {
        SCOPED_TRACE("xlsx");
        expectEnglishList(captions, rows);
    }

    exportInEnglish("list.csv");
    QFile csv(dir.filePath("list.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    // No field of these accounts holds a comma, a quote or a line break.
    QStringList lines = QString::fromUtf8(csv.readAll())
                            .remove(QChar(0xFEFF))
                            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    captions = lines.takeFirst().split(u',');
    rows.clear();
    for (const QString& line : lines)
        rows << line.split(u',');
    SCOPED_TRACE("csv");
    expectEnglishList(captions, rows);
}
