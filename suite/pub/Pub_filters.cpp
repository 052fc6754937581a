// Filter, filter set-up and locate services of the public-services object.
#include "ClsCommon.h"
#include "FilterDialog.h"
#include "FilterSetupDialog.h"
#include "Grid.h"
#include "IListWindow.h"
#include "LocateDialog.h"
#include "OptionStore.h"
#include "Pub.h"

#include <algorithm>

namespace tarvo::suite {

namespace {

QVector<FilterField> filterFields(const IListWindow& list) {
    QVector<FilterField> fields;
    for (const ListField& f : list.listFields())
        fields.push_back({f.field, f.caption, f.adoType});
    return fields;
}

/// The filter dialogs' title: the list window's, which speaks the session language. The fixed
/// Chinese name the list hands over stands in only for a window without a title.
QString dialogTitle(const QWidget* window, const QString& archiveConstName) {
    const QString title = window ? window->windowTitle() : QString();
    return title.isEmpty() ? archiveConstName : title;
}

} // namespace

ClsCommonPtr Pub::optionsDatabase(const LoginPtr& login) {
    if (!login)
        return nullptr;
    if (!m_optionsDb || m_optionsDbName != login->MoxDbName()) {
        auto db = std::make_shared<ClsCommon>();
        db->Init(login->MoxDbName());
        m_optionsDb = db;
        m_optionsDbName = login->MoxDbName();
    }
    return m_optionsDb;
}

QString Pub::Find(LoginPtr& login, const QString& archiveConstName, QWidget* window,
                  QString& condition) {
    condition.clear();
    auto* list = dynamic_cast<IListWindow*>(window);
    if (!list)
        return condition;
    const OptionStore options(optionsDatabase(login), login ? login->cUserId() : QString());
    const QVector<FilterField> fields =
        FilterSetupDialog::chosen(filterFields(*list), options, list->archiveName());
    m_filters.removeIf([](const FilterInForce& f) { return f.window.isNull(); });
    auto known = std::find_if(m_filters.begin(), m_filters.end(),
                              [&](const FilterInForce& f) { return f.window == window; });
    if (known == m_filters.end())
        known = m_filters.insert(m_filters.end(), {window, {}, {}});
    // A list read again without the filter (a refresh, a save) no longer applies it.
    if (known->description.isEmpty() || list->filterShown() != known->description)
        known->lines.clear();
    const bool wasFiltered = !known->lines.isEmpty();
    QString description;
    condition = FilterDialog::ask(window, dialogTitle(window, archiveConstName), fields,
                                  list->currentField(), &description, &known->lines);
    if (!condition.isEmpty()) {
        known->description = description;
        list->showFilter(description);
    } else if (wasFiltered && known->lines.isEmpty()) {
        known->description.clear();
        list->showFilter(QString());
    }
    return condition;
}

void Pub::FindSet(LoginPtr& login, const QString& archiveConstName, QWidget* window) {
    auto* list = dynamic_cast<IListWindow*>(window);
    if (!list)
        return;
    OptionStore options(optionsDatabase(login), login ? login->cUserId() : QString());
    FilterSetupDialog::edit(window, dialogTitle(window, archiveConstName), filterFields(*list),
                            options, list->archiveName());
}

void Pub::FindPos(QWidget* window, QWidget* grid) {
    if (auto* g = qobject_cast<Grid*>(grid))
        LocateDialog::run(window, g);
}

} // namespace tarvo::suite
