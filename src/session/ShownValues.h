#pragma once

#include "ComVar.h"
#include "IPub.h"

#include <QStringList>
#include <QVariant>

namespace tarvo {

// How the list, the card and the change history show what a bank account stores. Each rule
// lives here once, so that the three windows never show one record two ways.

/// Which of the sign-flag texts (ArchiveSession::SignFlagText) a stored flag shows: the stored
/// 1 shows the first, anything else the second, since the card pairs its options crosswise.
int SignFlagTextIndex(bool storedOne);
/// The sign-flag text of a stored flag.
QString SignFlagShown(const QString& stored, const QStringList& texts);
/// The account property's text (ArchiveSession::AccPropertyText) of a stored code; a code no
/// text stands for (written by another program) shows as it is stored.
QString AccPropertyShown(const QString& stored, const QStringList& texts);

/// Whether the display style (ComVar::m_EleStyle) gives the field its decimals, as it does the
/// amounts.
bool IsStyledAmount(IPub& pub, const ComVar& comVar, const QString& field);
/// The decimals the display style gives the field (none when it gives none).
int StyledDecimals(IPub& pub, const ComVar& comVar, const QString& field);
/// An amount as the card shows it: thousands grouped, with the decimals the display style
/// gives the field (none when it gives none); empty for Null.
QString StyledAmount(IPub& pub, const ComVar& comVar, const QString& field, const QVariant& value);

} // namespace tarvo
