// What a clerk waits for when searching the branch directory from the bank-account card's
// pick list (F2): from each key typed into its search box to the rows painted again, over a
// generated directory of N branches (made-up names, the import benchmark's file); and, once, the
// reading of the directory into the session's index beside the window (the pick list's first use).
//   bench_directory_search N
// Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "BranchImport.h"
#include "BranchIndexLoad.h"
#include "BranchPickList.h"
#include "BranchesFile.h"
#include "ClassRegistry.h"
#include "ClsCommon.h"
#include "SuiteRegistration.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

/// The searches typed key by key and taken back: a code's start, a bank and a city, pinyin
/// initials, part of a name.
const char* const kTyped[] = {"1021234", "工商 虚构1234", "slgsyh", "第12支行"};

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 200000;
    tarvo::suite::registerSuiteClasses();
    QTemporaryDir dir;
    const QString dbName = dir.filePath(QStringLiteral("bench.db"));
    tarvo::ClsCommonPtr db =
        tarvo::createObject<tarvo::IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
    db->Init(dbName);
    // The directory comes in as a clerk brings it: the generated file through its import.
    tarvo::BranchImport import;
    QString error;
    const QString file = ::bench::writeBranchesFile(dir.path(), n);
    if (file.isEmpty() || !import.read(file, error) || !import.check(db, error) ||
        !import.store(db, error)) {
        std::fprintf(stderr, "import: %s\n", qPrintable(error));
        return 1;
    }

    tarvo::BranchIndexLoad& load = tarvo::BranchIndexLoad::of(dbName);
    QElapsedTimer read;
    read.start();
    tarvo::BranchPickList list(load, QString());
    list.show();
    if (!QTest::qWaitFor([&] { return load.index() != nullptr; }, 600000)) {
        std::fprintf(stderr, "index: %s\n", qPrintable(load.error()));
        return 1;
    }
    const double readMs = msSince(read);
    QApplication::processEvents();

    auto* search = list.findChild<QLineEdit*>(QStringLiteral("EdtBranchSearch"));
    auto* rows = list.findChild<QTableView*>(QStringLiteral("GrdBranches"));
    std::vector<double> keys;
    std::vector<double> cpu;
    const auto timedKey = [&](auto press) {
        QElapsedTimer t;
        t.start();
        const double cpuBefore = ::bench::threadCpuMs();
        press();
        rows->viewport()->repaint();
        keys.push_back(msSince(t));
        cpu.push_back(::bench::threadCpuMs() - cpuBefore);
    };
    for (const char* typed : kTyped) {
        const QString text = QString::fromUtf8(typed);
        // Letters and digits as keys, Chinese as an input method commits it.
        for (const QChar c : text)
            timedKey([&] {
                if (c.unicode() < 0x80) {
                    QTest::keyClick(search, c.toLatin1());
                } else {
                    QInputMethodEvent commit;
                    commit.setCommitString(QString(c));
                    QApplication::sendEvent(search, &commit);
                }
            });
        for (qsizetype i = 0; i < text.size(); ++i)
            timedKey([&] { QTest::keyClick(search, Qt::Key_Backspace); });
    }
    std::sort(keys.begin(), keys.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("branches %d\n", n);
    std::printf("index_read_ms %.1f\n", readMs);
    std::printf("index_mb %.1f\n", double(load.index()->bytes()) / 1048576.0);
    std::printf("search_key_median_ms %.2f\n", keys[keys.size() / 2]);
    std::printf("search_key_max_ms %.2f\n", keys.back());
    std::printf("search_key_cpu_median_ms %.2f\n", cpu[cpu.size() / 2]);
    std::printf("search_key_cpu_max_ms %.2f\n", cpu.back());
    return 0;
}
