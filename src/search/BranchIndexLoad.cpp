#include "BranchIndexLoad.h"

#include "BesideWork.h"
#include "ClassRegistry.h"
#include "IBranchDirectory.h"

#include <QCoreApplication>
#include <QHash>

#include <utility>

namespace tarvo {

BranchIndexLoad::BranchIndexLoad(const QString& dbName) : m_dbName(dbName) {}

BranchIndexLoad& BranchIndexLoad::of(const QString& dbName) {
    // Owned by the application, so that a read still running is stopped before the suite's
    // classes go away.
    static thread_local QHash<QString, QPointer<BranchIndexLoad>> loads;
    QPointer<BranchIndexLoad>& load = loads[dbName];
    if (!load) {
        load = new BranchIndexLoad(dbName);
        load->setParent(QCoreApplication::instance());
    }
    return *load;
}

bool BranchIndexLoad::reading() const {
    return m_read != nullptr;
}

void BranchIndexLoad::start() {
    if (m_index || m_read)
        return;
    m_error.clear();
    auto built = std::make_shared<BranchSearchIndex>();
    auto work = [built, dbName = m_dbName](const WorkProgress& p) {
        auto db = createObject<IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
        auto directory =
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
        if (!db || !directory)
            throw std::runtime_error(
                QCoreApplication::translate("BranchIndexLoad", "联行号目录的读取组件不可用。")
                    .toStdString());
        db->Init(dbName);
        if (!db->Status())
            throw std::runtime_error(
                QCoreApplication::translate("BranchIndexLoad", "不能连接账套数据库。")
                    .toStdString());
        QString error;
        qint64 read = 0;
        const bool whole = directory->ForEach(
            db,
            [&](const BranchEntry& entry) {
                built->add(entry);
                return p.goOn(++read);
            },
            error);
        if (!whole && !error.isEmpty())
            throw std::runtime_error(error.toStdString());
        built->finish();
    };
    m_read = new BesideWork(std::move(work), this);
    connect(m_read, &BesideWork::ended, this, [this, built](bool stopped, const QString& error) {
        m_read->deleteLater();
        m_read = nullptr;
        if (!stopped && error.isEmpty())
            m_index = built;
        m_error = error;
        Q_EMIT ended();
    });
}

void BranchIndexLoad::asOf(const QString& mark) {
    if (!mark.isEmpty() && mark == m_mark)
        return;
    m_mark = mark;
    m_index.reset();
    if (!m_read)
        return;
    // What the read brings may be of the directory before: it is let go to end on its own.
    BesideWork* stale = std::exchange(m_read, nullptr);
    stale->disconnect(this);
    connect(stale, &BesideWork::ended, stale, &QObject::deleteLater);
    stale->stop();
}

} // namespace tarvo
