#pragma once

#include <QString>

#include <functional>

// Where every change of the machine is told: the system log, under the
// identifier "vorn-admin-runlevel" and the facility authpriv, beside what su,
// sudo and pkexec say there of who acted as root. A line that cannot be
// delivered is lost, as with syslog(3): logging never stops an apply.
using LogSink = std::function<void(int severity, const QString &line)>;

// One line, with a syslog severity (LOG_NOTICE, LOG_WARNING, LOG_ERR),
// through the sink in effect: send_to_system_log unless the tests put another.
void log_line(int severity, const QString &line);

// What syslog(3) sends, in the format it sends it, to the datagram socket
// /dev/log; unlike syslog(3) it follows the system root, so that tests can
// read the lines from a socket of their own.
void send_to_system_log(int severity, const QString &line);
