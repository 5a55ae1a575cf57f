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
