#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tarvo::suite {

/// What a run of character data holds, as far as an XML reader of UTF-8 cares.
enum class XmlText {
    Invalid, ///< not UTF-8, or a character XML cannot carry
    Plain,   ///< to be taken as it is
    Marked,  ///< holds '&' or a carriage return, to be resolved first
};
XmlText scanXmlText(const char* from, const char* to);

/// Whether valid UTF-8 text goes into XML character data as it is: nothing to escape or mark.
bool isPlainXmlUtf8(QByteArrayView text);

/// Appends valid UTF-8 text as XML character data: markup escaped, a carriage return as a
/// reference (a reader would turn it into a line feed), characters XML cannot carry marked
/// as U+FFFD.
void appendXmlEscapedUtf8(QByteArray& out, QByteArrayView text);
/// The same as an attribute's value in double quotes.
void appendXmlAttributeUtf8(QByteArray& out, QByteArrayView text);

/// Valid UTF-8 text as a reader gets it back from what appendXmlEscapedUtf8 wrote: the
/// characters XML cannot carry marked as U+FFFD, everything else as it is.
void appendXmlCarriedUtf8(QByteArray& out, QByteArrayView text);

} // namespace tarvo::suite
