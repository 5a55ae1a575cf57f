#pragma once

#include "apply/apply_plan.h"
#include "apply/process_runner.h"
#include "apply/rehearsal.h"
#include "catalogue/boot_configuration.h"
#include "catalogue/change_map.h"
#include "catalogue/dependency_graph.h"
#include "catalogue/service_info.h"
#include "table/pending_edits.h"
#include "runtime/lsb_status.h"

#include <QHash>
#include <QItemSelection>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QTableWidget>

#include <functional>
#include <memory>

class ApplyTrace;
class HeaderSources;
class QAction;
class QMessageBox;
class ServiceItemDelegate;
class ServiceTableItem;

// What the load found worth telling without stopping the user: a sentence,
// and insserv's own words or the lines concerned.
struct TableNotice
{
    QString text;
    QString details;
};

// Asked before a plan runs, with anything the user must know first (that it
// could not be rehearsed, say) and the preview of what it will do; true goes on.
using PlanConfirmation = std::function<bool(const QString &notice, const QString &preview)>;

// The runlevel matrix: one row per service, columns for its name, its start
// state, the eight runlevels and its kill state. A table is loaded once and
// replaced by a new one after every apply, reset or undo.
class ServiceTable : public QTableWidget
{
    Q_OBJECT

public:
    enum ItemRole {
        ServiceNameRole = Qt::UserRole,
        MarkRole = Qt::UserRole + 1,
        RunlevelRole = Qt::UserRole + 3,
        KindRole = Qt::UserRole + 4,
        ChangedRole = Qt::UserRole + 5,
        KillOrderRole = Qt::UserRole + 7,
        // On a name cell, once known: how the service runs now (a RunState as int).
        RunStateRole = Qt::UserRole + 8,
    };
    enum CellKind { NameCell = 1, StateCell = 2, RunlevelCell = 3 };

    ServiceTable();
    ~ServiceTable() override;

    bool load();
    QList<Service> services(bool all_rows) const;
    // The header of a service as the load read it (an empty, invalid record for a
    // name the load did not read). Later edits on disk show only in a new table.
    ServiceInfo loaded_header(const QString &name) const;
    int sizeHintForColumn(int column) const override;

    // What applying the pending changes, or resetting the selected services,
    // will do.
    ApplyPlan changes_plan() const;
    ApplyPlan reset_plan() const;
    // Carries a plan out the checked way: nothing is done when the machine
    // changed since the load, or when the plan's rehearsal on a copy fails or
    // ends otherwise than the table shows; then confirm is asked, the machine
    // read once more, the plan run, its links verified, and everything
    // restored exactly if they are not what was rehearsed. The result or the
    // error is shown.
    enum class PlanResult {
        NotRun,  // refused, declined, or the machine changed meanwhile: nothing was done
        Applied, // done, and the links are what the table showed
        Failed,  // stopped or ended otherwise, and restored as far as the error says
    };
    PlanResult run_plan(const ApplyPlan &given, const PlanConfirmation &confirm, const QString &result,
                        QWidget *result_parent);

    // The boot configuration as the load read it, and what it found worth telling.
    const BootConfiguration &loaded_configuration() const { return configuration; }
    QList<TableNotice> load_notices() const { return notices; }
    // The services whose dependencies the notices ask to change.
    QStringList services_to_repair() const { return repair; }
    // Every provided name with the script that provides it.
    QHash<QString, QString> names_to_scripts() const;
    // Who waits for whom, from the headers as the load read them and the
    // insserv configuration; the second with the overrides a plan leaves.
    const DependencyGraph &dependency_graph();
    DependencyGraph dependency_graph_with(const QMap<QString, QByteArray> &overrides);
    // What the colours of the selected service's highlighting mean, as rich
    // text in those colours; empty while no single service is highlighted.
    QString dependency_summary() const { return dependency_sentence; }
    // Opens the dependencies editor of a service once what runs now returns.
    void edit_later(const QString &name);

    int pending_changes() const { return changes.size(); }
    // The pending edits, to be registered again on another table; registering
    // makes pending those that fit and change this table.
    ChangeMap pending_edits() const { return changes; }
    FittedEdits register_edits(const ChangeMap &edits);
    // The value every key has now: the marks of the runlevel cells, and "S" or
    // "K" for the state of each service.
    ChangeMap current_values() const;
    QStringList disabled_backbone_services() const;
    // Makes the service's cell in that column current and scrolls to it.
    void select_service(const QString &name, int column);
    QString filter_description() const;
    void show_all_rows();

    // How services run now: shown on their name cells as an icon and a tool tip.
    // The table never asks; it shows what it is told.
    void show_run_state(const QString &name, RunState state);
    static QString run_state_text(RunState state);
    // The services of the selected cells, and those of names, in the load's
    // order, which is the boot order.
    QStringList selected_services() const;
    QStringList boot_ordered(const QStringList &names) const;
    // Entries the context menu offers after its own, whatever is selected.
    void add_context_actions(const QList<QAction *> &actions) { context_actions += actions; }
    // Rows whose state now does not match how they boot; a header click ends it.
    // The numbers are those of the status bar's filter requests.
    enum class RunFilter { None = 0, EnabledNotRunning = 1, DisabledRunning = 2 };
    void filter_run_state(RunFilter filter);

    static const QString enabled_mark;
    static const QString disabled_mark;
    // Marks of a runlevel cell, and the values of a service's state change.
    static const QString start_mark;
    static const QString kill_mark;

signals:
    void table_changed(bool);
    void need_restart();
    // The machine changed since the load; the window may offer to read it again.
    void configuration_changed(const QStringList &services);
    void selection_changed(bool, bool, bool, bool, bool);

private slots:
    void context_menu(const QPoint &pos);
    void toggle_service_state(QTableWidgetItem *item);
    void toggle_service_runlevel(QTableWidgetItem *item);
    void switch_service_state(QTableWidgetItem *item, bool enable);
    void switch_service_runlevel(QTableWidgetItem *item, QString mark);
    void highlight_service_dependencies(QTableWidgetItem *item);
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

public slots:
    void apply_changes();
    void toggle_item(QTableWidgetItem *item);
    void switch_services_runlevels(QString mark);
    void switch_services_state(bool enable);
    void highlight_services_dependencies(bool on);
    void edit_service(QTableWidgetItem *item);
    void reset_services_defaults();
    void selectAll() override;
    void filter_items(int column);

protected:
    void keyPressEvent(QKeyEvent *event) override;

    // Loading
    bool read_system();
    bool read_listing();
    void report_refused_setup();
    void report_warnings(const QString &errors);
    void scan_links();
    void add_header_records();
    void collect_unlisted_services();
    const ServiceInfo &read_header(const QString &name);
    void collect_disabled_services();
    void fill_rows();
    QList<ServiceTableItem *> row_cells(const Service &service, const QStringList &runlevels) const;
    void mark_override(QTableWidgetItem *name_cell, const QString &name) const;
    QStringList disabled_start_levels(const Service &service) const;
    QString name_text(const Service &service) const;
    QString state_text(const Service &service, const QSet<Service> &side) const;

    // Editing
    bool register_change(Service service, QString level, QString new_value, QString old_value);
    QString sequence_text(const Service &service, const QSet<Service> &side) const;
    bool service_enabled(int row) const;

    // How services run now
    bool passes_run_filter(int row) const;
    QTableWidgetItem *name_cell_of(const QString &name);

    // Dependency highlighting
    QTableWidgetItem *find_service_item(const QString &name);
    void build_dependency_cells();
    void highlight_dependants(const QTableWidgetItem *item);

    // Applying
    void run_insserv(const Service &service, const QString &level, const QString &value, bool force,
                     bool dryrun);
    void run_changes(const ChangeMap &work, bool force, bool dryrun);
    SystemFacts system_facts() const;
    bool machine_unchanged(const BootConfiguration &since, const ApplyTrace &trace, const ApplyPlan &plan);
    Rehearsal rehearsed(const ApplyPlan &plan);
    void show_refusal(const ApplyPlan &plan, const Rehearsal &rehearsal, const QStringList &problems);
    void show_failure(const ApplyPlan &plan, const PlanOutcome &outcome);
    QStringList services_to_edit(const ApplyPlan &plan, const Rehearsal &rehearsal);
    // Runs the box with a way to open the dependencies editor on one of the services.
    void exec_offering_edit(QMessageBox &box, const QStringList &services);

    bool state_cell_selected = false;
    bool enabled_state_selected = false;
    bool disabled_state_selected = false;
    bool level_cell_selected = false;
    bool level_s_selected = false;
    bool started_level_selected = false;
    bool stopped_level_selected = false;
    bool ignored_level_selected = false;

    QSet<Service> start_services;
    QSet<Service> kill_services;
    QSet<Service> linked_services;
    QSet<Service> unlisted_services;
    // Every service of the four sets in row order as loaded; the sets never change
    // after the load, so the sorting is done once.
    QList<Service> loaded_services;
    // Each header read during the load, read only once however often it is needed.
    QHash<QString, ServiceInfo> headers;
    // Services whose header starts them but that have no start link (or no
    // link at all): what Debian's "update-rc.d NAME disable" leaves.
    QSet<Service> disabled_services;
    // Per service, the kind of its link in each runlevel: 'S' or 'K'.
    QHash<QString, LinkStates> link_kinds;
    // The links, overrides and scripts as the load read them: what plans are
    // made from and what the machine must still be when one runs.
    BootConfiguration configuration;
    bool listing_refused = false;
    QString refusal; // insserv's words when it refused to list the setup
    QList<TableNotice> notices;
    QStringList repair;
    QSet<QString> overridden; // services with a file in the overrides directory
    ChangeMap changes;
    ChangeMap loaded_values;
    QList<QTableWidgetItem *> highlighted_items;
    ProcessRunner process_runner = run_process;
    int filtered_column = 0;
    RunFilter run_filter = RunFilter::None;
    QList<QAction *> context_actions;
    QHash<QString, QTableWidgetItem *> name_cells; // built on first use
    std::unique_ptr<DependencyGraph> graph;        // built on first use
    QString dependency_sentence;

private:
    std::unique_ptr<ServiceItemDelegate> delegate;
    // While the load reads the system: what it found in the header directories.
    std::unique_ptr<HeaderSources> header_sources;

    // Dependency highlighting: the name cell of every service and provided name,
    // and the two state cells beside each name cell, built on first use after
    // loading. The services of a table never change and its cells move with
    // their rows, so one lookup serves every selection change.
    QHash<QString, QTableWidgetItem *> dependency_cells;
    QHash<const QTableWidgetItem *, QPair<const QTableWidgetItem *, const QTableWidgetItem *>> state_cells;
};
