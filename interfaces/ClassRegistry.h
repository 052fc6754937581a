#pragma once

#include "HostObject.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tarvo {

/// Creation of suite and component objects by ProgID, the way the hosting platform creates
/// its class servers. A ProgID nobody registered yields null, exactly like a class that
/// "cannot be created", so every such branch of a caller can be exercised.
class ClassRegistry {
public:
    using Factory = std::function<HostObjectPtr()>;

    static ClassRegistry& instance();

    /// Registers (or replaces) the factory for a ProgID; ProgIDs are compared without regard
    /// to letter case.
    void registerClass(const QString& progId, Factory factory);
    void unregisterClass(const QString& progId);
    bool isRegistered(const QString& progId) const;
    QStringList progIds() const;

    HostObjectPtr create(const QString& progId) const;

private:
    ClassRegistry() = default;
    struct Entry {
        QString progId;
        Factory factory;
    };
    std::vector<Entry> m_entries;
    int indexOf(const QString& progId) const;
};

/// Creates the object registered under progId and returns it as T, or null when nothing is
/// registered, the factory failed, or the object does not implement T.
template <typename T> std::shared_ptr<T> createObject(const QString& progId) {
    return std::dynamic_pointer_cast<T>(ClassRegistry::instance().create(progId));
}

} // namespace tarvo
