#pragma once

#include <QString>

// For the test suite only: the program never calls these.
namespace test_hooks {

// Places every fixed path under root; an empty root restores the real paths.
void set_system_root(const QString &root);

// Shortens the waits for external programs so hanging ones are tested quickly.
void set_process_timeout(int milliseconds);

} // namespace test_hooks
