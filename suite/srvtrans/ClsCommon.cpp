#include "ClsCommon.h"

#include "BackgroundRead.h"
#include "BatchSave.h"
#include "BranchTable.h"
#include "DictionaryShape.h"
#include "RecordsetBuilder.h"
#include "SaveService.h"
#include "SessionRights.h"
#include "SqlDialect.h"
#include "SuiteContext.h"

#include <QCoreApplication>

#include <exception>
#include <utility>

namespace tarvo::suite {

namespace {
/// Texts whose translation is kept: the statements a session runs again fit many times over.
/// Long texts (a filter naming thousands of keys) are rarely run twice and are not kept.
constexpr qsizetype kTranslatedKept = 512;
constexpr qsizetype kLongestKept = 2000;
} // namespace

ClsCommon::ClsCommon() = default;
ClsCommon::~ClsCommon() = default;

void ClsCommon::Init(const QString& dbName) {
    m_builder.reset();
    m_translated.clear();
    m_rightAnswers.clear();
    m_db.reset();
    m_lastError.clear();
    m_reader.reset();
    m_dbName = dbName;
    try {
        // The login's connection when it is still open on this thread: a session pays for one
        // server connection start-up, not one per object.
        m_db = AccountDatabase::openShared(dbName);
        attached();
    } catch (const DbError& e) {
        m_lastError = e.text();
    }
}

void ClsCommon::attached() {
    AccountDatabase::share(m_db);
    m_builder = std::make_unique<RecordsetBuilder>(m_db->dictionary());
}

QString ClsCommon::translated(const QString& sql) {
    if (sql.size() > kLongestKept)
        return translateQuery(sql, m_db->sql().kind());
    if (const auto it = m_translated.constFind(sql); it != m_translated.constEnd())
        return *it;
    if (m_translated.size() >= kTranslatedKept)
        m_translated.clear();
    return *m_translated.insert(sql, translateQuery(sql, m_db->sql().kind()));
}

RecordsetPtr ClsCommon::OpenX(QString& sql) {
    return query(sql, {});
}

RecordsetPtr ClsCommon::OpenXBound(QString& sql, const QVariantList& params) {
    return query(sql, params);
}

RowLoadPtr ClsCommon::OpenXInBackground(QString& sql, std::function<void()> ended) {
    if (const auto last = m_lastRead.lock())
        last->cancel();
    if (!m_reader)
        m_reader = std::make_shared<ReaderConnection>(m_dbName);
    // A server sorts a whole long list before it sends its first row, but finds the first few
    // at once by an index: those are read first, for the window to show meanwhile.
    const QString first = m_db && EngineDialect::of(m_db->sql()).sortsBeforeFirstRow
                              ? firstRowsQuery(sql, BackgroundRead::kFirstRows)
                              : QString();
    // Without a session connection the reader's own fails to open as well, and says why.
    auto read = std::make_shared<BackgroundRead>(m_reader, m_db ? translated(sql) : sql,
                                                 first.isEmpty() ? first : translated(first),
                                                 std::move(ended));
    m_lastRead = read;
    return read;
}

bool ClsCommon::OpenXInChunks(QString& sql, const QVector<FieldInfo>& fields, int rowsPerChunk,
                              const std::function<bool(const RecordsetPtr&)>& chunk,
                              QString& error) {
    if (!m_db) {
        error = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
        return false;
    }
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    const int size = std::max(1, rowsPerChunk);
    // What the chunk's reader throws waits until the engine has ended the statement: a
    // server's connection must be idle again before anything else is asked of it.
    std::exception_ptr thrown;
    bool stopped = false;
    const auto handOn = [&](ColumnStore&& cells) {
        try {
            if (cells.columnCount() != fields.size())
                throw DbError(QCoreApplication::translate("tarvo::suite::DbError",
                                                          "查询的列与给出的字段不符"));
            stopped = !chunk(std::make_shared<Recordset>(fields, std::move(cells)));
        } catch (...) {
            thrown = std::current_exception();
            stopped = true;
        }
    };
    try {
        StoredResult rest = m_db->sql().queryStored(translated(sql), {}, [&](StoredResult& r) {
            if (r.cells.rowCount() >= size)
                handOn(std::exchange(r.cells, ColumnStore(r.cells.columnCount())));
            return !stopped;
        });
        if (!stopped && rest.cells.rowCount() > 0)
            handOn(std::move(rest.cells));
    } catch (const DbError& e) {
        if (!thrown) {
            error = e.text();
            return false;
        }
    }
    if (thrown)
        std::rethrow_exception(thrown);
    return true;
}

RecordsetPtr ClsCommon::query(const QString& sql, const QVariantList& params) {
    if (!m_db) {
        m_lastError = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
        return nullptr;
    }
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    if (RecordsetPtr fields = fieldsOnly(sql))
        return fields;
    ReferenceCache& references = m_db->references();
    if (m_db->sql().transactionDepth == 0 && references.wanted()) {
        try {
            return m_builder->build(references.queryWithReads(translated(sql), params));
        } catch (const DbError&) {
            // A read that failed along with it says nothing of the statement: it runs alone.
        }
    }
    try {
        return queryRecordset(m_db->sql(), *m_builder, translated(sql), params);
    } catch (const DbError& e) {
        m_lastError = e.text();
        return nullptr;
    }
}

RecordsetPtr ClsCommon::fieldsOnly(const QString& sql) const {
    // The cards and the lists learn their fields so; the dictionary has them, as the database
    // at its schema version has those columns, once a result has shown that the tables are
    // there.
    return dictionaryShape(sql, m_db->dictionary(), [this](const QString& table) {
        return m_db->sql().hasShownTable(table);
    });
}

RecordsetPtr ClsCommon::ReferenceTable(const QString& table) {
    if (!m_db)
        return nullptr;
    // The kept rows ask the connection what changed: not while a read beside the window
    // talks on it.
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    try {
        return m_db->references().rows(table);
    } catch (const DbError& e) {
        m_lastError = e.text();
        return nullptr;
    }
}

RecordsetPtr ClsCommon::ReferenceRows(const QString& table, const QString& column,
                                      const QVariant& value, bool anyCase) {
    if (!m_db)
        return nullptr;
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    RecordsetPtr all;
    QVector<int> rows;
    try {
        if (!m_db->references().rowsWhere(table, column, value.toString(), anyCase, all, rows))
            return nullptr;
    } catch (const DbError& e) {
        m_lastError = e.text();
        return nullptr;
    }
    QVector<FieldInfo> fields;
    for (int f = 0; f < all->FieldCount(); ++f)
        fields.push_back(all->FieldAt(f));
    auto found = std::make_shared<Recordset>(fields);
    for (const int row : rows) {
        QVector<QVariant> values;
        for (int f = 0; f < fields.size(); ++f)
            values.push_back(all->valueAt(row, f));
        found->appendRow(values);
    }
    found->MoveFirst();
    return found;
}

RecordsetPtr ClsCommon::ReferenceQuery(const QString& table, QString& sql) {
    if (!m_db)
        return nullptr;
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    try {
        return m_db->references().rowsOf(table, translated(sql));
    } catch (const DbError& e) {
        m_lastError = e.text();
        return nullptr;
    }
}

void ClsCommon::WantReferences() {
    if (m_db)
        m_db->references().want();
}

void ClsCommon::StopWhen(std::function<bool()> stop) {
    if (!m_db)
        return;
    const std::lock_guard use(m_db->inUse());
    m_db->sql().stopWhen(std::move(stop));
}

void ClsCommon::ExpectStart(const QString& archive, const QStringList& openXTexts) {
    if (!m_db)
        return;
    const std::lock_guard use(m_db->inUse());
    SqlBackend& sql = m_db->sql();
    QVector<Statement> asked;
    if (Statement rights = recordRightsQuestion(sql, archive); !rights.sql.isEmpty())
        asked.push_back(std::move(rights));
    for (const QString& text : openXTexts)
        asked.push_back(recordsetQuestion(translated(text)));
    // The card and the list ask whether there is a branch directory: with the start's questions
    // the answer costs no round trip of its own.
    asked.push_back(BranchTable::presentQuestion(sql));
    sql.askAhead(asked);
}

void ClsCommon::forgetKept(const QString& archive) {
    m_db->references().forget(archive);
}

bool ClsCommon::refuseWithoutConnection(QString& errText) {
    if (m_db)
        return false;
    errText = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
    return true;
}

bool ClsCommon::Add(QString& xml, const QString& archive, QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    const bool stored = SaveService(*m_db, currentUser()).add(xml, archive, errText);
    forgetKept(archive);
    return stored;
}

bool ClsCommon::Modify(QString& xml, const QString& archive, QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    const bool stored = SaveService(*m_db, currentUser()).modify(xml, archive, errText);
    forgetKept(archive);
    return stored;
}

bool ClsCommon::Delete(QVariant& key, const QString& keyField, const QString& archive,
                       QString& errText, const QString& userId) {
    if (refuseWithoutConnection(errText))
        return false;
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    const bool removed =
        SaveService(*m_db, currentUser()).remove(key, keyField, archive, errText, userId);
    forgetKept(archive);
    return removed;
}

bool ClsCommon::SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                          QVector<BatchVerdict>& verdicts, QString& errText,
                          const WorkProgress& progress) {
    if (refuseWithoutConnection(errText))
        return false;
    const std::lock_guard use(m_db->inUse());
    m_db->noticeSchemaChange();
    const bool done =
        BatchSave(*m_db, currentUser()).run(xmls, archive, store, verdicts, errText, progress);
    if (store)
        forgetKept(archive);
    return done;
}

QString ClsCommon::RightRefusal(const QString& archive, const QString& action) {
    if (!m_db)
        return {};
    const RecordAction asked = action.compare(u"Add", Qt::CaseInsensitive) == 0 ? RecordAction::Add
                               : action.compare(u"Delete", Qt::CaseInsensitive) == 0
                                   ? RecordAction::Delete
                                   : RecordAction::Modify;
    const QString key = archive.toLower();
    // The window asks for the actions one after the other: the answers of one question to the
    // server are handed out once each, and a later question asks the server again.
    const std::lock_guard use(m_db->inUse());
    RightAnswers& answers = m_rightAnswers[key];
    if (std::exchange(answers.unused[int(asked)], false))
        return answers.refusals[int(asked)];
    try {
        answers.refusals = recordActionRefusals(m_db->sql(), archive);
        answers.unused.fill(true);
        answers.unused[int(asked)] = false;
        return answers.refusals[int(asked)];
    } catch (const DbError&) {
        // A server that cannot be asked now answers the save itself, in its own words.
        return {};
    }
}

} // namespace tarvo::suite
