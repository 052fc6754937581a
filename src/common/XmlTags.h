#pragma once

#include <QString>

namespace tarvo {

/// The text between the lower-case tags <tag> and </tag> of a flat XML text. An empty text or
/// tag gives the default silently; missing tags are reported and give the default; tags in the
/// wrong order are reported and give the empty text.
QString GetXmlTagValue(const QString& sXml, const QString& sTag, const QString& sDefault);

} // namespace tarvo
