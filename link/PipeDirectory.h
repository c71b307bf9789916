#pragma once

#include <QString>

// The private directory of the two instrument pipes and of the single-instance socket:
// $VESPIRA_PIPE_DIR if set, else $XDG_RUNTIME_DIR if set, else /tmp/vespira-<uid>,
// created with mode 0700 when it does not exist. A directory owned by another user, or
// writable by group or others, or not a directory at all, is refused.
struct PipeDirectoryResult
{
    QString path;  // the directory, without a trailing "/"; empty when refused
    QString error; // why it was refused; empty when the path can be used
    bool ok() const { return error.isEmpty(); }
};

PipeDirectoryResult PipeDirectory();

// Checks (and when missing creates) one directory by the rule above.
PipeDirectoryResult CheckPipeDirectory(const QString& path);

// Name of the single-instance socket inside the pipe directory.
inline constexpr char kInstanceSocketName[] = "vespira.instance";

// Socket files inside the pipe directory: the instrument listens on the first and sends
// remote commands; the program listens on the second while it sends targets.
inline constexpr char kCommandSocketName[] = "merovant_pipe_orma_to_radio_1.0";
inline constexpr char kTargetSocketName[] = "merovant_pipe_radio_to_orma_1.0";
