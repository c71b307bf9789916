#pragma once

#include "app/CRecoveryDlg.h"
#include "journal/CScanJournal.h"

#include <QString>

#include <optional>
#include <vector>

class CDocManager;
struct DocumentServices;
class IHostUi;

// At start-up, before the instrument can send anything: the scans that a program which
// died left in its journals are offered back in a list, each with a choice of its own.

// The answer given by $VESPIRA_RECOVERY ("restore", "discard" or "later") for every scan,
// for runs where nobody can press a button; none when it is unset or says something else.
std::optional<RecoveryChoice> RecoveryChoiceFromEnvironment();

// The scans as one text for standard error: each scan's title, the points received of
// the grid's total, the grid, when it began (UTC) and what is wrong with its journal.
QString RecoveryQuestionText(const std::vector<CScanJournal::Unfinished>& journals);

// Asks (the list, through ui.ExecDialog) or takes the preset answer for all, and does what
// was chosen. Returns the patterns restored.
std::vector<CVespiraDoc*> OfferUnfinishedScans(CScanJournal& journal, CDocManager& docs,
                                               DocumentServices& services, IHostUi& ui,
                                               std::optional<RecoveryChoice> preset);
