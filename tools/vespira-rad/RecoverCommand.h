#pragma once

class CVespiraDoc;

// The lines of the usage text for `recover`.
inline constexpr char kRecoverUsage[] =
    "  recover JOURNAL OUT.rad [--force] [--remove]\n"
    "                       the scan kept in JOURNAL (left in ~/.local/state/vespira by\n"
    "                       a Vespira that died) as a pattern file; an existing OUT.rad\n"
    "                       is replaced only with --force, and the journal is removed\n"
    "                       only with --remove, once OUT.rad is written\n";

// vespira-rad recover ARGS (argv[2] on); the exit status: 0 written, 1 failed, 2 usage.
int RecoverCommand(CVespiraDoc& doc, int argc, char** argv);
