#pragma once

#include <QString>

namespace tarvo::suite {

/// Rewrites the server dialect the component writes its queries in into what the engine
/// understands: "select top N ..." becomes "select ... LIMIT N". Everything else the component
/// writes (Left Join, like '01%', =0/=1 on bit columns) both engines take as it stands.
QString translateQuery(const QString& sql);

} // namespace tarvo::suite
