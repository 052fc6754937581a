#pragma once

#include "IRowAuth.h"

namespace tarvo::suite {

/// The row-authority object "TarvoRowAuthsvr.clsRowAuth". The archives of this component are
/// not row-restricted, so it only remembers whom it was set up for.
class ClsRowAuth : public IRowAuth {
public:
    void Init(const QString& dbName, const QString& userId) override {
        m_dbName = dbName;
        m_userId = userId;
    }
    const QString& dbName() const { return m_dbName; }
    const QString& userId() const { return m_userId; }

private:
    QString m_dbName;
    QString m_userId;
};

} // namespace tarvo::suite
