#pragma once

#include "BranchSearchIndex.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace tarvo {

class BesideWork;

/// The branch directory's search index of a database, read for the thread's session once a
/// directory (again after an import), beside the window and on a connection of its own, so
/// that the window keeps the session's connection and answers while two hundred thousand
/// branches come in.
class BranchIndexLoad : public QObject {
    Q_OBJECT
public:
    /// The thread's load for the database, made on first asking.
    static BranchIndexLoad& of(const QString& dbName);

    /// The index once read; null before, and after a read that failed.
    std::shared_ptr<const BranchSearchIndex> index() const { return m_index; }
    /// Why the last read failed; empty when it did not.
    QString error() const { return m_error; }
    bool reading() const;
    /// Starts reading unless the index is read or being read; after a failure, reads again.
    void start();
    /// The directory as the session's connection marks it now (see IBranchDirectory::Mark):
    /// an index read, or being read, under another mark or none is dropped, and start() reads
    /// the directory anew.
    void asOf(const QString& mark);

Q_SIGNALS:
    /// The read ended: index() holds the directory, or error() says why it does not.
    void ended();

private:
    explicit BranchIndexLoad(const QString& dbName);
    QString m_dbName;
    std::shared_ptr<const BranchSearchIndex> m_index;
    /// The directory's mark the index (or the read under way) was made under.
    QString m_mark;
    QString m_error;
    QPointer<BesideWork> m_read;
};

} // namespace tarvo
