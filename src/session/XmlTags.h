#pragma once

#include <QString>

namespace tarvo {

/// The text between the lower-case tags <tag> and </tag> of a flat XML text. An empty text or
/// tag gives the default silently; missing tags are reported and give the default; tags in the
/// wrong order are reported and give the empty text.
QString GetXmlTagValue(const QString& sXml, const QString& sTag, const QString& sDefault);

/// One element of a save XML: start tag, the value escaped, end tag. The edits refuse the
/// characters XML gives meaning to, but a value stored by other means may still hold one, and
/// must not break the record apart.
QString XmlElement(const QString& name, const QString& value);

} // namespace tarvo
