#pragma once

#include <QString>

#include <functional>
#include <optional>

// For the test suite only: the program never calls these.
namespace test_hooks {

// Places every fixed path under root; an empty root restores the real paths.
void set_system_root(const QString &root);

// Shortens the waits for external programs so hanging ones are tested quickly.
void set_process_timeout(int milliseconds);

// Makes has_administrator_rights() answer rights whatever the user id; no
// value goes back to the user id.
void assume_administrator_rights(std::optional<bool> rights);

// Makes every private mount namespace fail as in a container that allows none,
// so that an apply cannot be rehearsed.
void deny_private_namespaces(bool deny);

// Sends the system log's lines (a syslog severity and the text) there instead
// of the system root's /dev/log; an empty function goes back to the socket.
void set_log_sink(const std::function<void(int, const QString &)> &log);

} // namespace test_hooks
