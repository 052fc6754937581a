#include "FilterDialog.h"

#include "UiText.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tarvo::suite {

namespace {

constexpr int kStartRows = 4;
/// How the dialog ends when the user clears the filter in force.
constexpr int kCleared = 2;
const char* const kKindProperty = "tarvo.filterKind";
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
/// A date edit cannot be empty; its earliest date stands for "no date" and shows blank.
const QDate kNoDate(1900, 1, 1);

/// A blank date's calendar would open on January 1900; it opens on this month instead.
class BlankDateOpensToday : public QObject {
public:
    explicit BlankDateOpensToday(QDateEdit* edit) : QObject(edit), m_edit(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && m_edit->date() == kNoDate) {
            const QDate today = QDate::currentDate();
            static_cast<QCalendarWidget*>(watched)->setCurrentPage(today.year(), today.month());
        }
        return false;
    }

private:
    QDateEdit* m_edit;
};

QComboBox* combo(QTableWidget* table, int row, int col) {
    return qobject_cast<QComboBox*>(table->cellWidget(row, col));
}

QPushButton* button(const char* name, const QString& text) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

FilterDialog::FilterDialog(QWidget* parent, const QString& title,
                           const QVector<FilterField>& fields)
    : QDialog(parent), m_fields(fields), m_table(new QTableWidget(0, ColumnCount)),
      m_ok(button("OkButton", uiText("确定", "OK"))),
      m_clearFilter(button("ClearFilter", uiText("清除过滤", "Clear Filter"))) {
    setObjectName(QStringLiteral("FilterDialog"));
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_table->setObjectName(QStringLiteral("FilterRows"));
    m_table->setHorizontalHeaderLabels({uiText("项目", "Field"), uiText("条件", "Operator"),
                                        uiText("值", "Value"), uiText("关系", "Join")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 14);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setSectionResizeMode(ValueCol, QHeaderView::Stretch);
    m_table->setColumnWidth(FieldCol, 160);
    m_table->setColumnWidth(OperatorCol, 110);
    m_table->setColumnWidth(JoinCol, 80);

    auto* add = button("AddRow", uiText("增加行", "Add Line"));
    auto* remove = button("RemoveRow", uiText("删除行", "Remove Line"));
    auto* clear = button("ClearRows", uiText("全部清空", "Clear All"));
    auto* cancel = button("CancelButton", uiText("取消", "Cancel"));
    connect(add, &QPushButton::clicked, this, &FilterDialog::addRow);
    connect(remove, &QPushButton::clicked, this, &FilterDialog::removeRow);
    connect(clear, &QPushButton::clicked, this, &FilterDialog::clearRows);
    connect(m_ok, &QPushButton::clicked, this, &FilterDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FilterDialog::reject);
    m_clearFilter->setEnabled(false);
    m_clearFilter->setToolTip(
        uiText("关闭本窗口，列表显示全部记录", "Close and list every record"));
    connect(m_clearFilter, &QPushButton::clicked, this, [this] { done(kCleared); });

    auto* side = new QVBoxLayout;
    side->addWidget(add);
    side->addWidget(remove);
    side->addWidget(clear);
    side->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_table, 1);
    body->addLayout(side);

    auto* hint = new QLabel(uiText("值为空的行不参与过滤；“并且”先于“或者”组合。按回车移到下一格。",
                                   "Lines without a value are left out; AND binds before OR. "
                                   "Enter moves to the next cell."));
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::PlaceholderText);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(hint, 1);
    bottom->addSpacing(16);
    bottom->addWidget(m_clearFilter);
    bottom->addWidget(m_ok);
    bottom->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);

    for (int i = 0; i < kStartRows; ++i)
        addRow();
    resize(740, 330);
}

QString FilterDialog::ask(QWidget* parent, const QString& title, const QVector<FilterField>& fields,
                          const QString& currentField, QString* description,
                          QVector<FilterRow>* lines) {
    FilterDialog dialog(parent, title, fields);
    const bool inForce = lines && !lines->isEmpty();
    dialog.m_clearFilter->setEnabled(inForce);
    if (!inForce || !dialog.startWith(*lines))
        dialog.startOn(currentField);
    const int result = dialog.exec();
    if (result == kCleared && lines)
        lines->clear();
    if (result != QDialog::Accepted)
        return {};
    if (description)
        *description = FilterCondition::describe(dialog.filterRows());
    if (lines)
        *lines = dialog.countedRows();
    return dialog.m_condition;
}

bool FilterDialog::startWith(const QVector<FilterRow>& lines) {
    int row = 0;
    for (const FilterRow& line : lines) {
        const auto offered = std::find_if(m_fields.cbegin(), m_fields.cend(), [&](const auto& f) {
            return f.field.compare(line.field.field, Qt::CaseInsensitive) == 0;
        });
        if (offered == m_fields.cend())
            continue;
        if (row == m_table->rowCount())
            addRow();
        combo(m_table, row, FieldCol)->setCurrentIndex(int(offered - m_fields.cbegin()));
        setLine(row++, line);
    }
    if (row == 0)
        return false;
    // A filter is opened again to correct it: the first value is ready to be typed anew.
    QWidget* value = m_table->cellWidget(0, ValueCol);
    QWidget* first = value->isEnabled() ? value : m_table->cellWidget(0, FieldCol);
    m_table->setCurrentCell(0, value->isEnabled() ? ValueCol : FieldCol);
    first->setFocus();
    if (auto* text = qobject_cast<QLineEdit*>(first))
        text->selectAll();
    return true;
}

void FilterDialog::setLine(int row, const FilterRow& line) {
    QComboBox* op = combo(m_table, row, OperatorCol);
    op->setCurrentIndex(std::max(0, op->findData(int(line.op))));
    QWidget* editor = m_table->cellWidget(row, ValueCol);
    if (auto* text = qobject_cast<QLineEdit*>(editor))
        text->setText(line.value);
    else if (auto* date = qobject_cast<QDateEdit*>(editor))
        date->setDate(QDate::fromString(line.value, kDateFormat));
    else if (auto* yesNo = qobject_cast<QComboBox*>(editor))
        yesNo->setCurrentIndex(std::max(0, yesNo->findData(line.value)));
    combo(m_table, row, JoinCol)->setCurrentIndex(line.orWithNext ? 1 : 0);
}

void FilterDialog::startOn(const QString& field) {
    int index = 0;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].field.compare(field, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    if (m_fields.isEmpty())
        return;
    combo(m_table, 0, FieldCol)->setCurrentIndex(index);
    // The clerk opens the filter to type a value: the first keystroke goes there.
    QWidget* value = m_table->cellWidget(0, ValueCol);
    m_table->setCurrentCell(0, ValueCol);
    value->setFocus();
}

void FilterDialog::accept() {
    const auto result = FilterCondition::build(filterRows());
    if (!result.ok()) {
        QMessageBox::warning(this, windowTitle(), result.error);
        if (QWidget* w = m_table->cellWidget(result.badRow, ValueCol))
            w->setFocus();
        return;
    }
    m_condition = result.condition;
    QDialog::accept();
}

void FilterDialog::addRow() {
    const int row = m_table->rowCount();
    m_table->insertRow(row);

    auto* field = new QComboBox;
    field->setObjectName(QStringLiteral("Field"));
    for (const FilterField& f : m_fields)
        field->addItem(f.caption);
    auto* op = new QComboBox;
    op->setObjectName(QStringLiteral("Operator"));
    auto* join = new QComboBox;
    join->setObjectName(QStringLiteral("Join"));
    join->addItem(uiText("并且", "and"), false);
    join->addItem(uiText("或者", "or"), true);
    for (auto [col, w] :
         {std::pair{FieldCol, field}, std::pair{OperatorCol, op}, std::pair{JoinCol, join}}) {
        w->setFrame(false);
        m_table->setCellWidget(row, col, w);
        watch(w);
    }
    fieldChanged(row);

    // The row number is looked up when the signal comes: removing lines moves the rest up.
    connect(field, &QComboBox::currentIndexChanged, this, [this, field] {
        int r = 0, c = 0;
        if (cellOf(field, r, c))
            fieldChanged(r);
    });
    connect(op, &QComboBox::currentIndexChanged, this, [this, op] {
        int r = 0, c = 0;
        if (cellOf(op, r, c))
            operatorChanged(r);
    });
}

void FilterDialog::removeRow() {
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    m_table->removeRow(row);
    if (m_table->rowCount() == 0)
        addRow();
    const int next = std::min(row, m_table->rowCount() - 1);
    m_table->setCurrentCell(next, FieldCol);
    m_table->cellWidget(next, FieldCol)->setFocus();
}

void FilterDialog::clearRows() {
    m_table->setRowCount(0);
    for (int i = 0; i < kStartRows; ++i)
        addRow();
    m_table->cellWidget(0, FieldCol)->setFocus();
}

void FilterDialog::fieldChanged(int row) {
    const int index = combo(m_table, row, FieldCol)->currentIndex();
    const FilterKind kind = index < 0 ? FilterKind::Text : filterKind(m_fields[index].adoType);

    QComboBox* op = combo(m_table, row, OperatorCol);
    const QVariant previous = op->currentData();
    {
        const QSignalBlocker quiet(op);
        op->clear();
        for (FilterOp o : FilterCondition::operatorsFor(kind))
            op->addItem(FilterCondition::caption(o), int(o));
        op->setCurrentIndex(std::max(0, op->findData(previous)));
    }

    QWidget* old = m_table->cellWidget(row, ValueCol);
    if (!old || old->property(kKindProperty).toInt() != int(kind)) {
        QWidget* editor = valueEditor(kind);
        m_table->setCellWidget(row, ValueCol, editor);
        watch(editor);
    }
    operatorChanged(row);
}

void FilterDialog::operatorChanged(int row) {
    const auto op = FilterOp(combo(m_table, row, OperatorCol)->currentData().toInt());
    m_table->cellWidget(row, ValueCol)->setEnabled(FilterCondition::needsValue(op));
}

QWidget* FilterDialog::valueEditor(FilterKind kind) {
    QWidget* editor = nullptr;
    if (kind == FilterKind::Bit) {
        auto* yesNo = new QComboBox;
        yesNo->addItem(QString(), QString());
        yesNo->addItem(uiText("是", "Yes"), QStringLiteral("1"));
        yesNo->addItem(uiText("否", "No"), QStringLiteral("0"));
        yesNo->setFrame(false);
        editor = yesNo;
    } else if (kind == FilterKind::Date) {
        auto* date = new QDateEdit;
        date->setDisplayFormat(kDateFormat);
        date->setCalendarPopup(true);
        date->setMinimumDate(kNoDate);
        date->setSpecialValueText(QStringLiteral(" "));
        date->setDate(kNoDate);
        date->setFrame(false);
        const QLocale locale = englishSession() ? QLocale(QLocale::English)
                                                : QLocale(QLocale::Chinese, QLocale::China);
        date->setLocale(locale);
        date->calendarWidget()->setLocale(locale);
        date->calendarWidget()->installEventFilter(new BlankDateOpensToday(date));
        editor = date;
    } else {
        auto* line = new QLineEdit;
        line->setFrame(false);
        if (kind != FilterKind::Text) {
            line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            line->setPlaceholderText(kind == FilterKind::Integer ? uiText("整数", "whole number")
                                                                 : uiText("数字", "number"));
        }
        editor = line;
    }
    editor->setObjectName(QStringLiteral("Value"));
    editor->setProperty(kKindProperty, int(kind));
    return editor;
}

QString FilterDialog::value(int row) const {
    QWidget* editor = m_table->cellWidget(row, ValueCol);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        return line->text();
    if (auto* date = qobject_cast<QDateEdit*>(editor))
        return date->date() == kNoDate ? QString() : date->date().toString(kDateFormat);
    if (auto* yesNo = qobject_cast<QComboBox*>(editor))
        return yesNo->currentData().toString();
    return {};
}

QVector<FilterRow> FilterDialog::filterRows() const {
    QVector<FilterRow> rows;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const int index = combo(m_table, r, FieldCol)->currentIndex();
        FilterRow row;
        if (index >= 0)
            row.field = m_fields[index];
        row.op = FilterOp(combo(m_table, r, OperatorCol)->currentData().toInt());
        row.value = index >= 0 ? value(r) : QString();
        row.orWithNext = combo(m_table, r, JoinCol)->currentData().toBool();
        rows << row;
    }
    return rows;
}

QVector<FilterRow> FilterDialog::countedRows() const {
    QVector<FilterRow> counted;
    for (const FilterRow& row : filterRows())
        if (!FilterCondition::needsValue(row.op) || !row.value.trimmed().isEmpty())
            counted << row;
    return counted;
}

void FilterDialog::watch(QWidget* cell) {
    cell->installEventFilter(this);
    for (QWidget* inner : cell->findChildren<QWidget*>())
        inner->installEventFilter(this);
}

bool FilterDialog::cellOf(const QObject* object, int& row, int& col) const {
    for (; object && object != m_table; object = object->parent()) {
        for (int r = 0; r < m_table->rowCount(); ++r) {
            for (int c = 0; c < ColumnCount; ++c) {
                if (m_table->cellWidget(r, c) == object) {
                    row = r;
                    col = c;
                    return true;
                }
            }
        }
    }
    return false;
}

void FilterDialog::focusCellAfter(int row, int col) {
    for (int r = row, c = col + 1; r < m_table->rowCount(); ++r, c = 0) {
        for (; c < ColumnCount; ++c) {
            QWidget* w = m_table->cellWidget(r, c);
            if (w && w->isEnabled()) {
                m_table->setCurrentCell(r, c);
                w->setFocus(Qt::TabFocusReason);
                return;
            }
        }
    }
    m_ok->setFocus(Qt::TabFocusReason);
}

bool FilterDialog::eventFilter(QObject* watched, QEvent* event) {
    int row = 0, col = 0;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && cellOf(watched, row, col)) {
            focusCellAfter(row, col);
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && cellOf(watched, row, col)) {
        // Remove Line works on the line the user is in.
        m_table->setCurrentCell(row, col);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tarvo::suite
