#pragma once

#include <QString>

namespace tarvo {

/// Takes the session's edit lock of an archive, which one person at a time holds to change its
/// records; false (the lock service has said why) when another holds it.
bool takeEditLock(const QString& archive);

/// Gives an edit lock back when the command that took it ends, however it ends.
class EditLockRelease {
public:
    explicit EditLockRelease(const QString& archive) : m_archive(archive) {}
    ~EditLockRelease();
    EditLockRelease(const EditLockRelease&) = delete;
    EditLockRelease& operator=(const EditLockRelease&) = delete;

private:
    QString m_archive;
};

} // namespace tarvo
