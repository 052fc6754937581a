#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarvo::suite {

class Grid;

/// Locate (定位): finds the next data row of the list grid whose cell in a chosen column holds a
/// text, and moves the list there.
class LocateDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows the dialog modally over the grid; it stays open for repeated searches until closed.
    static void run(QWidget* parent, Grid* grid);

private:
    LocateDialog(QWidget* parent, Grid* grid);
    void findNext();
    bool matches(int row, int col, const QString& text) const;
    /// Moves the dialog off the found row, so that the clerk sees what was found.
    void uncover(int row, int col);

    Grid* m_grid;
    QComboBox* m_column;
    QLineEdit* m_text;
    QCheckBox* m_whole;
    QPushButton* m_find;
};

} // namespace tarvo::suite
