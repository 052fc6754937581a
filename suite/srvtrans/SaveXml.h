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

} // namespace tarvo::suite
