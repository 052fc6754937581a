#include "FilterSetupDialog.h"

#include "OptionStore.h"
#include "UiText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvo::suite {

namespace {

/// Archive names reach us in whatever case the caller wrote them.
QString optionKey(const QString& archive) {
    return QStringLiteral("filter.fields.") + archive.toLower();
}

QPushButton* button(const char* name, const QString& text) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QStringList names(const QVector<FilterField>& fields) {
    QStringList out;
    for (const FilterField& f : fields)
        out << f.field;
    return out;
}

} // namespace

FilterSetupDialog::FilterSetupDialog(QWidget* parent, const QString& title,
                                     const QVector<FilterField>& fields,
                                     const QVector<FilterField>& checked)
    : QDialog(parent), m_fields(fields), m_list(new QListWidget) {
    setObjectName(QStringLiteral("FilterSetupDialog"));
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_list->setObjectName(QStringLiteral("FilterSetupFields"));
    m_list->setAlternatingRowColors(true);
    const QStringList on = names(checked);
    for (const FilterField& f : fields) {
        auto* item = new QListWidgetItem(f.caption, m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(on.contains(f.field) ? Qt::Checked : Qt::Unchecked);
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);

    auto* all = button("SelectAll", uiText("全选", "Select All"));
    auto* none = button("SelectNone", uiText("全部取消", "Select None"));
    auto* ok = button("OkButton", uiText("确定", "OK"));
    auto* cancel = button("CancelButton", uiText("取消", "Cancel"));
    connect(all, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(ok, &QPushButton::clicked, this, &FilterSetupDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FilterSetupDialog::reject);
    ok->setDefault(true);

    auto* side = new QVBoxLayout;
    side->addWidget(all);
    side->addWidget(none);
    side->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_list, 1);
    body->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(uiText("勾选过滤时可以使用的项目：", "Tick the fields the filter offers:")));
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    resize(380, 440);
}

bool FilterSetupDialog::edit(QWidget* parent, const QString& title,
                             const QVector<FilterField>& fields, OptionStore& options,
                             const QString& archive) {
    const QVector<FilterField> current = chosen(fields, options, archive);
    FilterSetupDialog dialog(parent, title, fields, current);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList after = dialog.checkedFields();
    if (after == names(current))
        return false;
    if (!options.setText(optionKey(archive), after.join(u','))) {
        QMessageBox::warning(parent, title,
                             uiText("过滤设置未能保存，请稍后再试。",
                                    "The filter set-up could not be stored; please try again."));
        return false;
    }
    return true;
}

QVector<FilterField> FilterSetupDialog::chosen(const QVector<FilterField>& fields,
                                               const OptionStore& options, const QString& archive) {
    const QStringList stored = options.text(optionKey(archive)).split(u',', Qt::SkipEmptyParts);
    QVector<FilterField> out;
    for (const FilterField& f : fields)
        if (stored.contains(f.field, Qt::CaseInsensitive))
            out << f;
    // A choice that names none of today's fields (the list changed since) is no choice.
    return out.isEmpty() ? fields : out;
}

void FilterSetupDialog::accept() {
    if (checkedFields().isEmpty()) {
        QMessageBox::information(this, windowTitle(),
                                 uiText("请至少勾选一个项目。", "Please tick at least one field."));
        return;
    }
    QDialog::accept();
}

void FilterSetupDialog::checkAll(bool on) {
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

QStringList FilterSetupDialog::checkedFields() const {
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            out << m_fields[i].field;
    return out;
}

} // namespace tarvo::suite
