#pragma once

#include "../listwindow/ListWindowFixture.h"
#include "Edit.h"

#include <QAction>

#include <memory>

// What the card window's tests do to a card opened from the bank list.

inline tarvo::suite::Edit* edit(tarvo::FrmZAM& card, const char* name) {
    return card.findChild<tarvo::suite::Edit*>(name);
}

inline bool enabled(tarvo::FrmZAM& card, const char* key) {
    return card.findChild<QAction*>(key)->isEnabled();
}

/// Runs a toolbar command of the card ("savers", "First" …); what the command returns.
inline bool run(tarvo::FrmZAM& card, const QString& key) {
    bool result = false;
    card.Operating(key, result);
    return result;
}

/// The list row that shows a bank; 0 when none does.
inline int rowOf(tarvo::FrmMain& w, const QString& code) {
    for (int r = 1; r < w.grid()->Rows(); ++r)
        if (w.grid()->TextMatrix(r, w.m_KeyCol) == code)
            return r;
    return 0;
}

/// A card opened on a list row as the list's Modify opens it: shown at once, its lock and
/// record on their way.
inline std::unique_ptr<tarvo::FrmZAM> openedCard(tarvo::FrmMain& w, int row) {
    auto card = std::make_unique<tarvo::FrmZAM>();
    card->open(2, qint16(w.m_KeyCol), row, w.comVar());
    card->show();
    card->activateWindow();
    return card;
}

/// A card modifying the list's bank, with the name the clerk typed.
inline std::unique_ptr<tarvo::FrmZAM> typedCard(tarvo::FrmMain& w, const QString& code,
                                                const QString& name) {
    auto card = std::make_unique<tarvo::FrmZAM>();
    card->InitData(2, qint16(w.m_KeyCol), rowOf(w, code), w.comVar());
    edit(*card, "EdtcBankName")->setText(name);
    return card;
}
