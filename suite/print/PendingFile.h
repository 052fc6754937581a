#pragma once

#include <QString>
#include <QTemporaryFile>

#include <optional>

namespace tarvo::suite {

/// A temporary file beside the target, renamed over it once written, so that the target is
/// only ever replaced by a whole file.
class PendingFile {
public:
    explicit PendingFile(const QString& path);
    std::optional<QString> open();
    QString name() const { return m_tmp.fileName(); }
    /// Gives the file the mode the file it replaces had (or what the umask gives a new one) and
    /// puts it in the target's place.
    std::optional<QString> commit();

private:
    QString m_path;
    QTemporaryFile m_tmp;
};

} // namespace tarvo::suite
