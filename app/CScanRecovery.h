#pragma once

#include "journal/CScanJournal.h"

#include <QString>

#include <optional>
#include <vector>

class CDocManager;
struct DocumentServices;
class IHostUi;

// At start-up, before the instrument can send anything: the scans that a program which
// died left in its journals are offered back, in one question for all of them.
enum class RecoveryChoice
{
    Restore, // each becomes a new, modified, never-saved pattern
    Discard, // the journals are removed
    Later    // the journals stay for the next start
};

// The answer given by $VESPIRA_RECOVERY ("restore", "discard" or "later") for runs
// where nobody can press a button; none when it is unset or says something else.
std::optional<RecoveryChoice> RecoveryChoiceFromEnvironment();

// The question: each scan's title, the points received of the grid's total and when the
// scan began (UTC).
QString RecoveryQuestionText(const std::vector<CScanJournal::Unfinished>& journals);

// Asks (or takes preset) and does what was chosen. Returns the patterns restored.
std::vector<CVespiraDoc*> OfferUnfinishedScans(CScanJournal& journal, CDocManager& docs,
                                               DocumentServices& services, IHostUi& ui,
                                               std::optional<RecoveryChoice> preset);
