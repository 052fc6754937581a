#include "LocateDialog.h"

#include "Grid.h"
#include "GridModel.h"
#include "UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tarvo::suite {

LocateDialog::LocateDialog(QWidget* parent, Grid* grid)
    : QDialog(parent), m_grid(grid), m_column(new QComboBox), m_text(new QLineEdit),
      m_whole(new QCheckBox(uiText("整个单元格匹配", "Match the whole cell"))),
      m_find(new QPushButton(uiText("查找下一个", "Find Next"))) {
    setObjectName(QStringLiteral("LocateDialog"));
    setWindowTitle(uiText("定位", "Locate"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_column->setObjectName(QStringLiteral("LocateColumn"));
    m_text->setObjectName(QStringLiteral("LocateText"));
    m_whole->setObjectName(QStringLiteral("LocateWhole"));
    m_find->setObjectName(QStringLiteral("FindNext"));
    auto* close = new QPushButton(uiText("关闭", "Close"));
    close->setObjectName(QStringLiteral("CloseButton"));

    // Only what the user can see is offered: hidden columns and the untitled number column
    // would find rows for reasons the list does not show.
    for (int c = 0; c < grid->Cols(); ++c) {
        const QString caption = grid->TextMatrix(0, c).trimmed();
        if (grid->ColWidth(c) > 0 && !caption.isEmpty())
            m_column->addItem(caption, c);
    }
    m_column->setCurrentIndex(std::max(0, m_column->findData(grid->Col())));
    m_column->setMinimumContentsLength(12);

    m_find->setDefault(true);
    m_find->setEnabled(false);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_find->setEnabled(!t.trimmed().isEmpty()); });
    connect(m_find, &QPushButton::clicked, this, &LocateDialog::findNext);
    connect(close, &QPushButton::clicked, this, &LocateDialog::reject);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(uiText("栏目：", "Column:"), m_column);
    form->addRow(uiText("内容：", "Text:"), m_text);
    form->addRow(QString(), m_whole);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_find);
    buttons->addWidget(close);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    resize(440, sizeHint().height());
    m_text->setFocus();
}

void LocateDialog::run(QWidget* parent, Grid* grid) {
    if (!grid)
        return;
    LocateDialog dialog(parent, grid);
    dialog.exec();
}

bool LocateDialog::matches(int row, int col, const QString& text) const {
    const QString cell = m_grid->TextMatrix(row, col).trimmed();
    return m_whole->isChecked() ? cell.compare(text, Qt::CaseInsensitive) == 0
                                : cell.contains(text, Qt::CaseInsensitive);
}

void LocateDialog::uncover(int row, int col) {
    const QRect cell = m_grid->visualRect(m_grid->gridModel()->index(row - 1, col));
    const QRect found(m_grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    const QRect mine = frameGeometry();
    if (!mine.intersects(found))
        return;
    // Below the row when there is room on its screen, above it otherwise.
    const QScreen* screen = m_grid->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    const int gap = 8;
    int top = found.bottom() + gap;
    if (room.isValid() && top + mine.height() > room.bottom())
        top = found.top() - gap - mine.height();
    move(mine.left(), std::max(room.isValid() ? room.top() : top, top));
}

void LocateDialog::findNext() {
    const QString text = m_text->text().trimmed();
    const int col = m_column->currentData().toInt();
    const int rows = m_grid->Rows() - 1;
    if (text.isEmpty() || m_column->currentIndex() < 0)
        return;
    // From the row after the current one round to the current one itself, so that a single
    // match is found again rather than reported missing.
    const int start = m_grid->Row();
    for (int step = 1; step <= rows; ++step) {
        const int row = (start + step - 1) % rows + 1;
        if (matches(row, col, text)) {
            m_grid->setRow(row);
            m_grid->scrollTo(m_grid->gridModel()->index(row - 1, col));
            uncover(row, col);
            return;
        }
    }
    QMessageBox::information(this, windowTitle(),
                             uiText("找不到“%1”。", "Cannot find \"%1\".").arg(text));
}

} // namespace tarvo::suite
