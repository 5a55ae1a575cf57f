#pragma once

// What every test of the program includes: Qt's test and widget modules, a
// test root with its fake insserv, the table opened up, and the watcher that
// answers modal widgets.
#include "tests/support/modal_watcher.h"
#include "tests/support/test_root.h"
#include "tests/support/test_table.h"

#include <QtTest>
#include <QtWidgets>
