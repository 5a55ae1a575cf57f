#pragma once

#include "catalogue/service_info.h"

#include <QSet>
#include <QTreeView>
#include <QVariantList>

class QStandardItem;
class QStandardItemModel;
class ServiceTable;

using DependencyFields = QList<QPair<QString, QList<LSBDependency>>>;

// Edits the six LSB dependency fields of one service as a tree: a row per field,
// below it the field's dependencies, below a virtual facility the services
// behind it. Writes nothing itself; the edit flow reads the result back.
class DependenciesWidget : public QTreeView
{
    Q_OBJECT

public:
    explicit DependenciesWidget(ServiceTable *table, const QString &service_name,
                                const DependencyFields &dependencies);

    bool modified() const { return modified_flag; }
    QVariantList collect_dependencies() const;

    static constexpr int OptionalRole = Qt::UserRole + 1;

signals:
    void dependencies_changed();

public slots:
    void show_context_menu(const QPoint &point);
    void add_dependency_keyword();
    void add_dependency(QStandardItem *item);
    void delete_dependency(QStandardItem *item);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QStandardItem *kind_row(const QString &keyword) const;
    void add_dependency_item(const Service &dependency, QStandardItem *parent, const FacilityMap &facilities,
                             QSet<Service> &visited);
    void toggle_optional(QStandardItem *item);
    QString ask_dependency(const QStringList &offered, const QString &typed);
    enum Verdict { Add, AskAgain, Refuse };
    Verdict judge_dependency(const QString &text, const QStringList &excluded, const QStringList &known);
    QStringList excluded_names(const QStandardItem *kind) const;
    QStringList offered_names(const QStringList &excluded) const;
    void mark_modified();

    bool modified_flag = false;
    QStandardItemModel *tree_model = nullptr;
    ServiceTable *table = nullptr;
    Service service;
};
