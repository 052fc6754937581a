#include "ErrorHandling.h"

#include "ArchiveSession.h"
#include "Recordset.h"

#include <QMessageBox>

namespace tarvo {

QString describe(const std::exception& e) {
    if (const auto* rs = dynamic_cast<const RecordsetError*>(&e))
        return rs->description();
    return QString::fromUtf8(e.what());
}

void ShowInfo(const QString& text) {
    ArchiveSession& s = ArchiveSession::current();
    if (!s.oPub) {
        // Only reachable when a message comes before the session has its public services.
        QMessageBox::information(nullptr, QStringLiteral("Information"), text);
        return;
    }
    QString prompt = text;
    s.oPub->MsgBox(prompt, 64,
                   s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.information")));
}

} // namespace tarvo
