#pragma once

// Draws the boot of runlevel 2 in the boot order window, from a table's
// load of the generated system: the first time with the dependency graph built (as when the window
// opens before any service was selected), then switching to it from
// runlevel 3; and selecting services spread over it. Each with the events it
// leaves (layout, painting).
void measure_boot_order(int size);
