#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

/// Offers the desktop host's other archive from the list window's "窗口" menu: from the bank
/// archive the company's bank accounts, which clerks work in daily, and back. The other list
/// opens in a run of its own (the same program, database, operator and language) beside this
/// one: a thread's session serves one list window at a time, and the two archives keep their
/// own function locks.
class OtherArchiveCommand : public QObject {
    Q_OBJECT
public:
    /// Starts a program with its arguments and does not wait for it; false when it could not.
    using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

    /// archive: the one this run shows ("aa_bank" or "bank"); passedOn: the arguments the other
    /// run takes over (database, operator, language).
    OtherArchiveCommand(const QString& archive, QStringList passedOn, Starter start,
                        QObject* parent = nullptr);

    /// Adds the command to this list window's "窗口" menu, once; the host's watch does it for
    /// the list it opened.
    void offerIn(QWidget& listWindow);

    /// The archive the command opens.
    QString otherArchive() const { return m_other; }

private:
    void poll();
    void open();
    QString m_other;
    QStringList m_passedOn;
    Starter m_start;
    QTimer m_timer;
};
