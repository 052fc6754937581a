// Services of the public-services object that the list commands and printing use.
// They arrive with those windows; until then a call says plainly that the service is missing.
#include "Pub.h"

#include <stdexcept>

namespace tarvo::suite {

namespace {
[[noreturn]] void missing(const char* member) {
    throw std::runtime_error(
        QStringLiteral("公共服务“%1”尚未提供").arg(QLatin1String(member)).toStdString());
}
} // namespace

void Pub::GetPrnStyleFile(bool, const QString&, QString&, const QString&, ClsCommonPtr&, QWidget*) {
    missing("GetPrnStyleFile");
}
void Pub::GetPrnDataFile(bool, QString&, const QString&, const QString&, const QString&,
                         const QString&, const QString&, const QString&, QObject*, ClsCommonPtr&,
                         QWidget*) {
    missing("GetPrnDataFile");
}
void Pub::GetTypeSize(QString&, QString&, RecordsetPtr&, QWidget*) {
    missing("GetTypeSize");
}
void Pub::SavePrnStyle(ClsCommonPtr&, const QString&, const QString&) {
    missing("SavePrnStyle");
}
void Pub::PrintMsg(const QString&, int&) {
    missing("PrintMsg");
}

} // namespace tarvo::suite
