#include "LedgerObjects.h"

#include "AccountCodeDialog.h"
#include "ClsCommon.h"

#include <QApplication>

#include <stdexcept>

namespace tarvo::suite {

bool MoxDatabase::OpenDatabase(const QString& name, bool, bool, const QString&) {
    // The embedded suite's databases need no password; the connect text is for servers that do.
    m_db = std::make_shared<ClsCommon>();
    m_db->Init(name);
    if (!m_db->Status())
        m_db.reset();
    return m_db != nullptr;
}

bool LedgerPub::InitPubs2(const QString&, const QString&, MoxDatabasePtr& db, const QString&,
                          qint16, const QString&, const QDate&, const QString&) {
    m_db = db;
    return connection() != nullptr;
}

std::shared_ptr<ClsCommon> LedgerPub::connection() const {
    const auto* db = dynamic_cast<const MoxDatabase*>(m_db.get());
    return db ? db->connection() : nullptr;
}

void KmRef::DRReference() {
    const auto* pub = dynamic_cast<const LedgerPub*>(m_pub.get());
    const std::shared_ptr<ClsCommon> db = pub ? pub->connection() : nullptr;
    if (!db)
        throw std::runtime_error(
            QCoreApplication::translate("tarvo::suite::LedgerObjects", "科目参照没有打开的账套数据库").toStdString());
    QString sql = QStringLiteral("select cCode,ccode_name,igrade,bEnd from code order by cCode");
    const RecordsetPtr rs = db->OpenX(sql);
    if (!rs)
        throw std::runtime_error(QCoreApplication::translate("tarvo::suite::LedgerObjects", "读取会计科目失败").toStdString());
    QList<LedgerAccount> accounts;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        accounts.append({rs->Value(QStringLiteral("cCode")).toString(),
                         rs->Value(QStringLiteral("ccode_name")).toString(),
                         rs->Value(QStringLiteral("igrade")).toInt(),
                         rs->Value(QStringLiteral("bEnd")).toInt() == 1});
    AccountCodeDialog dialog(accounts, m_view->Viewpara1, QApplication::activeWindow());
    const bool picked = dialog.exec() == QDialog::Accepted && !dialog.chosen().code.isEmpty();
    m_view->Isreturn = picked;
    if (picked) {
        m_view->Viewreturn1 = dialog.chosen().code;
        m_view->Viewreturn2 = dialog.chosen().name;
    }
}

} // namespace tarvo::suite
