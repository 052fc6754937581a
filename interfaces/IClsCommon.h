#pragma once

#include "HostObject.h"
#include "Recordset.h"
#include "RowLoad.h"
#include "WorkProgress.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVector>

#include <functional>

namespace tarvo {

/// What a batch save did, or would do, with one record of the batch.
struct BatchVerdict {
    enum Kind { Added, Modified, Unchanged, Refused };
    Kind kind = Refused;
    /// Why the save service refused the record; empty otherwise.
    QString reason;
};

/// The suite's server transaction object: reads by SQL text, writes through the save service.
class IClsCommon : public HostObject {
public:
    /// Connects to the accounting database named by the login's MoxDbName.
    virtual void Init(const QString& dbName) = 0;
    /// False when the connection failed.
    virtual bool Status() const = 0;
    /// Runs a query; null when the SQL fails.
    virtual RecordsetPtr OpenX(QString& sql) = 0;
    /// Runs a query whose "?" marks take the values in order, bound as parameters and never
    /// spliced into the text; null when the SQL fails.
    virtual RecordsetPtr OpenXBound(QString& sql, const QVariantList& params) = 0;
    /// Starts the query on a connection and thread of its own and returns at once; the load
    /// tells how far it got, what it read, and why it failed (a bad SQL text fails the load).
    /// ended is called on the reading thread once the load has ended. Starting another load
    /// cancels the one before it.
    virtual RowLoadPtr OpenXInBackground(QString& sql, std::function<void()> ended) = 0;
    /// Runs a query whose rows are far too many to hold (a script's export of a whole list) and
    /// hands them to chunk in order, a record set of at most rowsPerChunk rows at a time, each
    /// let go before the next is read. Its fields are those given, which the same query's
    /// OpenX types (a "top 0" of it asks nothing else). chunk returns false to stop. False,
    /// with the engine's words in error, when the query fails.
    virtual bool OpenXInChunks(QString& sql, const QVector<FieldInfo>& fields, int rowsPerChunk,
                               const std::function<bool(const RecordsetPtr&)>& chunk,
                               QString& error) = 0;
    /// Stores a new record from its save XML; False with the reason in errText when refused.
    virtual bool Add(QString& xml, const QString& archive, QString& errText) = 0;
    /// Stores an existing record from its save XML; False with the reason when refused.
    virtual bool Modify(QString& xml, const QString& archive, QString& errText) = 0;
    /// Deletes the record whose keyField equals key; False with the reason when refused.
    virtual bool Delete(QVariant& key, const QString& keyField, const QString& archive,
                        QString& errText, const QString& userId) = 0;
    /// Saves records of one archive from their save XML in one transaction, each added or
    /// modified by its key and checked as Add and Modify check it; a record equal to the
    /// stored one is left alone. With store False nothing is kept: verdicts tells what storing
    /// would do with each record, a refused one leaving the others as they are. With store True
    /// every record must be accepted: any refusal or database error keeps none of them, and
    /// the result is False with the reason (and the record's 1-based number) in errText.
    /// progress hears the records done; when it asks to stop, nothing is kept and the result is
    /// False with errText empty.
    virtual bool SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                           QVector<BatchVerdict>& verdicts, QString& errText,
                           const WorkProgress& progress = {}) = 0;
    /// Why the database would refuse this session the action ("Add", "Modify" or "Delete") on
    /// the archive's records, in the session's language; empty when it allows it. Asked before
    /// the clerk tries, so that a command the session may not use is offered disabled.
    virtual QString RightRefusal(const QString& archive, const QString& action) {
        (void)archive;
        (void)action;
        return {};
    }
    /// The rows of a small reference table (currencies, banks, regions, ledger accounts) whose
    /// column holds the value (in either case with anyCase), in the order of the table's key,
    /// from the session's copy of the table: read whole when first needed and read again once
    /// it may have changed. Null when no copy is kept (a table too big to keep, say): the
    /// caller asks the database.
    virtual RecordsetPtr ReferenceRows(const QString& table, const QString& column,
                                       const QVariant& value, bool anyCase = false) {
        (void)table;
        (void)column;
        (void)value;
        (void)anyCase;
        return nullptr;
    }
    /// Has the reference tables read along with the next query (a server's round trip saved)
    /// rather than on their own when first looked at.
    virtual void WantReferences() {}
    /// On the thread that has the session's connection now, between statements: the
    /// statements it runs from now on fail soon once stop holds, also one that already waits
    /// for the server (a window closed while its read is on the way, say); an empty stop lifts
    /// it again.
    virtual void StopWhen(std::function<bool()> stop) { (void)stop; }
    /// A session is starting on the archive: the rights RightRefusal will ask for and the
    /// statements OpenX will be given go to the server with the next question it gets, and
    /// their answers wait there for the first asker each (a server's round trips saved).
    virtual void ExpectStart(const QString& archive, const QStringList& openXTexts) {
        (void)archive;
        (void)openXTexts;
    }
};

using ClsCommonPtr = std::shared_ptr<IClsCommon>;

} // namespace tarvo
