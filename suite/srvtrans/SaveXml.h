#pragma once

#include <QPair>
#include <QString>
#include <QVector>

#include <optional>

namespace tarvo::suite {

/// A record as the save XML carries it: the root element names the archive, each child element
/// a column with its text.
struct SaveRecord {
    QString root;
    QVector<QPair<QString, QString>> fields;
};

/// Largest save XML accepted; a record of the archives is a few hundred characters.
constexpr int kMaxSaveXmlChars = 64 * 1024;

/// Reads a flat save XML with a real parser. Refuses (with a Chinese reason in error) anything
/// that is not one root holding only simple elements: malformed text, a document type
/// declaration, nested elements, attributes, repeated columns, oversized input.
std::optional<SaveRecord> parseSaveXml(const QString& xml, QString& error);

/// The same read by the general parser alone. parseSaveXml reads the one form the programs
/// write (a root of elements holding plain text) by hand, a batch of a hundred thousand rows
/// being parsed row by row; on every text it takes that way it must give what this gives.
std::optional<SaveRecord> parseSaveXmlByParser(const QString& xml, QString& error);

} // namespace tarvo::suite
