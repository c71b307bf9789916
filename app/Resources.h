#pragma once

// Registers the program's bundled resources (icons, splash picture, user guide), which
// live in the static library vespira_app. Safe to call more than once.
void InitVespiraResources();
