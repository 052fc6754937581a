#include "ClassRegistry.h"

#include <exception>

namespace tarvo {

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry registry;
    return registry;
}

int ClassRegistry::indexOf(const QString& progId) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].progId.compare(progId, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void ClassRegistry::registerClass(const QString& progId, Factory factory) {
    const int i = indexOf(progId);
    if (i >= 0)
        m_entries[size_t(i)].factory = std::move(factory);
    else
        m_entries.push_back({progId, std::move(factory)});
}

void ClassRegistry::unregisterClass(const QString& progId) {
    const int i = indexOf(progId);
    if (i >= 0)
        m_entries.erase(m_entries.begin() + i);
}

bool ClassRegistry::isRegistered(const QString& progId) const {
    return indexOf(progId) >= 0;
}

QStringList ClassRegistry::progIds() const {
    QStringList ids;
    for (const auto& e : m_entries)
        ids << e.progId;
    return ids;
}

HostObjectPtr ClassRegistry::create(const QString& progId) const {
    const int i = indexOf(progId);
    if (i < 0 || !m_entries[size_t(i)].factory)
        return nullptr;
    // A class server that throws while constructing is, to the caller, one that cannot be
    // created: the same null answer, never an exception across the boundary.
    try {
        return m_entries[size_t(i)].factory();
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace tarvo
