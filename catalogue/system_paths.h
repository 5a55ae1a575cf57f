#pragma once

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

// The fixed locations of the boot configuration. None of them is configurable;
// only the test suite moves them under a temporary root (see test_hooks.h).
QString init_scripts_path();
QString overrides_path();
QString insserv_config_path();
QString insserv_config_dir_path();
QString runlevel_path(const QString &runlevel);
QString insserv_program();
QString update_rc_d_program();
QString service_program();
// What an apply leaves beside the boot configuration: its history, the locks
// of the package manager it waits for, etckeeper where /etc is kept in git,
// and the system log's socket.
QString history_path();
QString dpkg_frontend_lock_path();
QString dpkg_lock_path();
QString etc_path();
QString etckeeper_program();
QString etckeeper_marker_path();
QString system_log_socket_path();

// The directory the fixed paths are under: empty on the machine itself.
QString system_root();
// The paths of the boot configuration that insserv and update-rc.d read and
// write, as the machine has them under root: the scripts, the overrides
// directory, the configuration file and directory and the runlevel directories.
QStringList boot_configuration_paths(const QString &root);

// How long an external program may take to start, and again to finish.
int process_timeout();

// Whether a service name can stand for a file of its own in a directory: not
// empty, not "." or "..", without "/", and short enough for a file name. Names
// from the listing or the link directories that are not are no services.
bool is_plain_file_name(const QString &name);

QDir init_scripts_dir();
QDir overrides_dir();
QStringList all_runlevels();
QList<QDir> runlevel_directories();
