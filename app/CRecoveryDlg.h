#pragma once

#include "journal/CScanJournal.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QTableWidget;

// What becomes of one scan left behind.
enum class RecoveryChoice
{
    Restore, // a new, modified, never-saved pattern
    Discard, // its journal is removed
    Later    // its journal stays for the next start
};

// "Unsaved scans": one row for each scan a program that died left behind, with its title,
// grid, the points received of the grid's total, when it began (UTC), what is wrong with
// its journal, and a choice of its own. OK does what the rows say; Later (or closing the
// box) leaves every journal for the next start. The rows scroll, so the box fits on the
// screen however many there are.
class CRecoveryDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr char kCaption[] = "Unsaved scans";

    explicit CRecoveryDlg(const std::vector<CScanJournal::Unfinished>& journals,
                          QWidget* parent = nullptr);

    std::vector<RecoveryChoice> Choices() const;
    void SetChoice(int row, RecoveryChoice choice);
    void SetAllChoices(RecoveryChoice choice);
    QTableWidget* Table() const { return m_pTable; }

    enum Column
    {
        kTitle,
        kGrid,
        kPoints,
        kBegun,
        kNote,
        kChoice
    };

private:
    // As large as the rows need, within the screen the box is shown on.
    void FitOnScreen();

    QTableWidget* m_pTable;
    std::vector<QComboBox*> m_choices;
};

// The notes on one journal for the user: damaged, cut short or stopped records; empty
// when there are none.
QString RecoveryNote(const CScanJournal::Unfinished& journal);
// A journal's title as shown: control characters escaped.
QString RecoveryTitle(const CScanJournal::Unfinished& journal);
