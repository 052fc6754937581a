#pragma once

#include "ComVar.h"

#include <QWidget>

class QMenuBar;
class QToolBar;
class QTreeWidget;

namespace tarvo {
namespace suite {
class CaptionBar;
class Grid;
class KeyHook;
class StatusBar;
} // namespace suite

/// The list window of an archive: its records in a grid, with toolbar, menus and keys.
class FrmMain : public QWidget {
    Q_OBJECT
public:
    FrmMain();
    ~FrmMain() override;

    /// Hands the window the session's descriptor before it loads.
    void Init(ComVarPtr comVar);
    /// Shows the window modally, with no owner window; returns when it has closed.
    void showModal();

    ComVarPtr comVar() const { return m_ComVar; }
    bool isLoaded() const { return m_loaded; }

Q_SIGNALS:
    void unloaded();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ComVarPtr m_ComVar;
    bool m_loaded = false;
    bool m_unloaded = false;

    QMenuBar* m_menuBar;
    QToolBar* Tlb;
    QWidget* Pic;
    suite::CaptionBar* MoxFrmCaptionMgr;
    QTreeWidget* Trv;
    QWidget* PicSeparate;
    suite::Grid* Grid;
    suite::StatusBar* Stb;
    suite::KeyHook* MoxFrmKeyHook;

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void BuildListToolbar();
    void ApplyLayoutMode();
};

} // namespace tarvo
