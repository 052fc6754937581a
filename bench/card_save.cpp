// The card window with a long list: its Next, beside a bare indexed SELECT of one record by its
// key; and a save through the save service, beside one parameterized INSERT plus its audit row
// in one transaction on a connection with the same durability settings, each also in the
// processor time of its thread, which a busy machine disturbs less than the wall.
//   bench_card_save N       Prints "NAME VALUE" lines.
#include "ArchiveSession.h"
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "FrmZAM.h"
#include "Grid.h"
#include "IClsCommon.h"
#include "ITarvoArchive.h"
#include "Login.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <time.h>

namespace {

constexpr int kSteps = 400;
/// Records walked before the timing starts: the font's glyph metrics are read once a process,
/// at the first texts a card sets, as the statement is prepared once.
constexpr int kWarmUp = 100;
/// Rounds of kSteps records each; in every round the card and its baselines take the same
/// records one after the other, and the medians are reported, so that a pause of a busy machine
/// weighs on one round rather than on one side.
constexpr int kRounds = 5;

QString bankCode(int i) {
    return QStringLiteral("K%1").arg(i, 7, 10, QLatin1Char('0'));
}

/// Per save: the wall and this thread's processor time.
struct SaveTimes {
    double ms = -1;
    double cpuMs = -1;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// The baseline of Next: the same record by key, prepared once, every column read.
class BareSelect {
public:
    explicit BareSelect(const QString& dbName) {
        sqlite3_open(dbName.toUtf8().constData(), &m_db);
        sqlite3_prepare_v2(m_db, "select * from aa_bank where cBankCode=?", -1, &m_st, nullptr);
    }
    ~BareSelect() {
        sqlite3_finalize(m_st);
        sqlite3_close(m_db);
    }
    /// Per record, for records first to first + kSteps - 1.
    double ms(int first) {
        QElapsedTimer t;
        t.start();
        for (int i = first; i < first + kSteps; ++i) {
            const QByteArray key = bankCode(i).toUtf8();
            sqlite3_bind_text(m_st, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(m_st) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(m_st); ++c)
                    sqlite3_column_text(m_st, c);
            sqlite3_reset(m_st);
        }
        return double(t.nsecsElapsed()) / 1e6 / kSteps;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_st = nullptr;
};

/// What Qt itself takes to show the fields that change from one record to the next (code,
/// name, account number length): plain line edits in the card's font, shown, their texts set
/// to the same values for the same records. No card can fill its edits for less.
class FillFloor {
public:
    explicit FillFloor(const QWidget* card) : m_code(&m_window), m_name(&m_window),
                                              m_length(&m_window) {
        for (QLineEdit* edit : {&m_code, &m_name, &m_length})
            edit->setFont(card->findChild<QLineEdit*>(QStringLiteral("EdtcBankCode"))->font());
        m_name.move(0, 40);
        m_length.move(0, 80);
        m_window.show();
    }
    double ms(int first) {
        QElapsedTimer t;
        t.start();
        for (int i = first; i < first + kSteps; ++i) {
            m_code.setText(bankCode(i));
            m_name.setText(QStringLiteral("示例银行%1").arg(i));
            m_length.setText(QString::number(10 + i % 10));
        }
        return double(t.nsecsElapsed()) / 1e6 / kSteps;
    }

private:
    QWidget m_window;
    QLineEdit m_code, m_name, m_length;
};

struct CardFigures {
    double nextMs = -1, bareMs = -1, floorMs = -1, openXMs = -1;
};

/// Walks the card opened on the first row of the list: kWarmUp Next, then kRounds rounds of
/// kSteps Next each beside their baselines; then closes both windows.
void walkCard(const QString& dbName, CardFigures& out) {
    tarvo::FrmZAM* card = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* c = qobject_cast<tarvo::FrmZAM*>(w); c && c->isVisible() && !c->reading())
            card = c;
    if (!card) {
        QTimer::singleShot(5, [dbName, &out] { walkCard(dbName, out); });
        return;
    }
    auto next = [card] {
        bool done = false;
        card->Operating(QStringLiteral("Next"), done);
    };
    for (int i = 0; i < kWarmUp; ++i)
        next();
    card->repaint();
    BareSelect bare(dbName);
    FillFloor floor(card);
    std::vector<double> nexts, bares, floors, openXs;
    for (int r = 0; r < kRounds; ++r) {
        const int first = 2 + kWarmUp + r * kSteps;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kSteps; ++i)
            next();
        card->repaint();
        nexts.push_back(double(t.nsecsElapsed()) / 1e6 / kSteps);
        bares.push_back(bare.ms(first));
        floors.push_back(floor.ms(first));
        // The share of Next that is the read of the record through the server object.
        t.restart();
        for (int i = first; i < first + kSteps; ++i) {
            QString sql = "select * from aa_bank where cBankCode='" + bankCode(i) + "'";
            tarvo::ArchiveSession::current().SrvDB->OpenX(sql);
        }
        openXs.push_back(double(t.nsecsElapsed()) / 1e6 / kSteps);
    }
    out = {median(nexts), median(bares), median(floors), median(openXs)};
    card->close();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* list = qobject_cast<tarvo::FrmMain*>(w))
            QTimer::singleShot(0, list, &QWidget::close);
}

SaveTimes saveService(const QString& dbName) {
    auto srv = tarvo::createObject<tarvo::IClsCommon>("TarvoSrvTrans.IClsCommon");
    srv->Init(dbName);
    QElapsedTimer t;
    t.start();
    const double cpu = bench::threadCpuMs();
    for (int i = 0; i < kSteps; ++i) {
        QString xml = QStringLiteral("<AA_Bank><cBankCode>S%1</cBankCode><cBankName>保存银行%1"
                                     "</cBankName><bComdFixLen>1</bComdFixLen><iComAccNoLen>12"
                                     "</iComAccNoLen></AA_Bank>")
                          .arg(i, 6, 10, QLatin1Char('0'));
        QString error;
        if (!srv->Add(xml, QStringLiteral("aa_bank"), error)) {
            std::fprintf(stderr, "save refused: %s\n", qPrintable(error));
            return {};
        }
    }
    return {double(t.nsecsElapsed()) / 1e6 / kSteps, (bench::threadCpuMs() - cpu) / kSteps};
}

/// The baseline of a save: the row, its audit row and the history of its six stored fields in
/// one transaction, statements prepared once, on a connection set up as the suite sets up its
/// own (WAL, synchronous=NORMAL).
SaveTimes bareInsert(const QString& dbName) {
    sqlite3* db = nullptr;
    sqlite3_open(dbName.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* row = nullptr;
    sqlite3_stmt* audit = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO aa_bank (cBankCode, cBankName, bComdFixLen, iComAccNoLen) "
                       "VALUES (?, ?, ?, ?)",
                       -1, &row, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO tarvo_audit (dWhen, cUserId, cArchive, cAction, cKeyValue, "
                       "cDetail) VALUES (?, ?, ?, ?, ?, ?)",
                       -1, &audit, nullptr);
    sqlite3_stmt* history = nullptr;
    QByteArray historySql = "INSERT INTO tarvo_history (iChange, iSeq, dWhen, cUserId, cArchive, "
                            "cKeyValue, cAction, cField, cOldValue, cNewValue) VALUES ";
    const char* const fields[] = {"cBankCode",  "cBankName",  "bComdFixLen",
                                  "iComAccNoLen", "bIndFixLen", "bSysData"};
    for (int f = 0; f < int(std::size(fields)); ++f)
        historySql += f ? ", (?, ?, ?, ?, ?, ?, ?, ?, NULL, ?)" : "(?, ?, ?, ?, ?, ?, ?, ?, NULL, ?)";
    sqlite3_prepare_v2(db, historySql.constData(), -1, &history, nullptr);
    auto text = [](sqlite3_stmt* st, int n, const QString& s) {
        const QByteArray b = s.toUtf8();
        sqlite3_bind_text(st, n, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    };
    QElapsedTimer t;
    t.start();
    const double cpu = bench::threadCpuMs();
    for (int i = 0; i < kSteps; ++i) {
        const QString key = QStringLiteral("T%1").arg(i, 6, 10, QLatin1Char('0'));
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        text(row, 1, key);
        text(row, 2, QStringLiteral("对照银行%1").arg(i));
        sqlite3_bind_int(row, 3, 1);
        sqlite3_bind_int(row, 4, 12);
        sqlite3_step(row);
        sqlite3_reset(row);
        text(audit, 1, QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
        text(audit, 2, QStringLiteral("demo"));
        text(audit, 3, QStringLiteral("aa_bank"));
        text(audit, 4, QStringLiteral("Add"));
        text(audit, 5, key);
        text(audit, 6, QStringLiteral("<AA_Bank><cBankCode>%1</cBankCode></AA_Bank>").arg(key));
        sqlite3_step(audit);
        sqlite3_reset(audit);
        const QString when = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz");
        for (int f = 0; f < int(std::size(fields)); ++f) {
            const int at = f * 9;
            sqlite3_bind_int(history, at + 1, 1000000 + i);
            sqlite3_bind_int(history, at + 2, f + 1);
            text(history, at + 3, when);
            text(history, at + 4, QStringLiteral("demo"));
            text(history, at + 5, QStringLiteral("aa_bank"));
            text(history, at + 6, key);
            text(history, at + 7, QStringLiteral("Add"));
            text(history, at + 8, QString::fromLatin1(fields[f]));
            text(history, at + 9, key);
        }
        sqlite3_step(history);
        sqlite3_reset(history);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    const SaveTimes times{double(t.nsecsElapsed()) / 1e6 / kSteps,
                          (bench::threadCpuMs() - cpu) / kSteps};
    sqlite3_finalize(row);
    sqlite3_finalize(audit);
    sqlite3_finalize(history);
    sqlite3_close(db);
    return times;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The walk needs 2,102 records: warm-up and five rounds.
    const int n =
        std::max(argc > 1 ? QString(argv[1]).toInt() : 10000, 2 + kWarmUp + kRounds * kSteps);
    QTemporaryDir dir;
    const QString dbName = bench::makeDatabase(dir.path(), QString(), QStringLiteral("card"));
    bench::generateBanks(dbName, n);

    auto login = bench::logIn(dbName);
    if (!login)
        return 1;
    CardFigures card;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (!list || !list->isLoaded() || list->grid()->Rows() <= 1)
                continue;
            poll.stop();
            QTimer::singleShot(0, [&dbName, &card] { walkCard(dbName, card); });
            list->DoCommand(QStringLiteral("Modify"));
            return;
        }
    });
    poll.start(10);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "aa_bank", "");
    bench::report("card_next_ms", card.nextMs);
    bench::report("bare_select_ms", card.bareMs);
    bench::report("fill_floor_ms", card.floorMs);
    bench::report("card_openx_ms", card.openXMs);
    const SaveTimes save = saveService(dbName);
    const SaveTimes bare = bareInsert(dbName);
    bench::report("save_add_ms", save.ms);
    bench::report("bare_insert_ms", bare.ms);
    bench::report("save_add_cpu_ms", save.cpuMs);
    bench::report("bare_insert_cpu_ms", bare.cpuMs);
    return card.nextMs > 0 ? 0 : 1;
}
