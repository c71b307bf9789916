#include "app/CRecoveryDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kChoiceTexts[] = {"Restore", "Discard", "Later"};

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    item->setToolTip(text);
    return item;
}

} // namespace

QString RecoveryTitle(const CScanJournal::Unfinished& journal)
{
    return QString::fromUtf8(PrintableText(journal.contents.title).c_str());
}

QString RecoveryNote(const CScanJournal::Unfinished& journal)
{
    const ScanJournalContents& c = journal.contents;
    QStringList notes;
    if (c.damagedRecords == 1)
        notes << QStringLiteral("1 damaged record left out.");
    else if (c.damagedRecords > 1)
        notes << QStringLiteral("%1 damaged records left out.").arg(c.damagedRecords);
    if (c.tornTail)
        notes << QStringLiteral("Its last record was cut short and is left out.");
    if (c.stopped)
        notes << QStringLiteral("The journal stopped early (%1): the scan may have gone on.")
                     .arg(QString::fromUtf8(PrintableText(c.stopReason).c_str()));
    return notes.join(QLatin1Char(' '));
}

CRecoveryDlg::CRecoveryDlg(const std::vector<CScanJournal::Unfinished>& journals, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CRecoveryDlg"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* intro = new QLabel(
        journals.size() == 1
            ? QStringLiteral("A scan was not saved when Vespira last ended. Restore it as a "
                             "new pattern, discard it, or decide later (it is offered again at "
                             "the next start).")
            : QStringLiteral("Scans were not saved when Vespira last ended. Choose for each "
                             "one: restore it as a new pattern, discard it, or decide later "
                             "(it is offered again at the next start)."));
    intro->setWordWrap(true);

    m_pTable = new QTableWidget(static_cast<int>(journals.size()), 6);
    m_pTable->setObjectName(QStringLiteral("scans"));
    m_pTable->setHorizontalHeaderLabels({QStringLiteral("Scan"), QStringLiteral("Grid"),
                                         QStringLiteral("Points received"), QStringLiteral("Begun"),
                                         QStringLiteral("Note"), QStringLiteral("Choice")});
    m_pTable->verticalHeader()->hide();
    m_pTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_pTable->setWordWrap(false);
    m_pTable->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (int row = 0; row < m_pTable->rowCount(); ++row) {
        const CScanJournal::Unfinished& journal = journals[static_cast<std::size_t>(row)];
        const ScanJournalContents& c = journal.contents;
        const long long total = static_cast<long long>(c.grid.nXPoints) * c.grid.nYPoints;
        m_pTable->setItem(row, kTitle, Cell(RecoveryTitle(journal)));
        m_pTable->setItem(row, kGrid,
                          Cell(QStringLiteral("%1 x %2").arg(c.grid.nXPoints).arg(c.grid.nYPoints),
                               Qt::AlignRight));
        m_pTable->setItem(
            row, kPoints,
            Cell(QStringLiteral("%1 of %2").arg(c.ReceivedPoints()).arg(total), Qt::AlignRight));
        m_pTable->setItem(row, kBegun, Cell(QString::fromLatin1(JournalTimeText(c.began).c_str())));
        m_pTable->setItem(row, kNote, Cell(RecoveryNote(journal)));
        auto* choice = new QComboBox;
        for (const char* text : kChoiceTexts)
            choice->addItem(QString::fromLatin1(text));
        m_pTable->setCellWidget(row, kChoice, choice);
        m_choices.push_back(choice);
    }
    m_pTable->resizeColumnsToContents();
    // A long note is cut at a readable width; its tool tip holds all of it.
    m_pTable->setColumnWidth(kNote, std::min(m_pTable->columnWidth(kNote), 360));

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* later = buttons->addButton(QStringLiteral("&Later"), QDialogButtonBox::RejectRole);
    later->setObjectName(QStringLiteral("later"));
    QPushButton* restoreAll =
        buttons->addButton(QStringLiteral("&Restore All"), QDialogButtonBox::ActionRole);
    restoreAll->setObjectName(QStringLiteral("restoreAll"));
    QPushButton* discardAll =
        buttons->addButton(QStringLiteral("&Discard All"), QDialogButtonBox::ActionRole);
    discardAll->setObjectName(QStringLiteral("discardAll"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(restoreAll, &QPushButton::clicked, this,
            [this] { SetAllChoices(RecoveryChoice::Restore); });
    connect(discardAll, &QPushButton::clicked, this,
            [this] { SetAllChoices(RecoveryChoice::Discard); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(buttons);
    FitOnScreen();
}

void CRecoveryDlg::FitOnScreen()
{
    const QWidget* anchor = parentWidget() != nullptr ? parentWidget() : this;
    const QScreen* screen =
        anchor->screen() != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // Room for the window frame, which the available area does not leave out.
    const int frame = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 16;
    const QSize room = screen->availableGeometry().size() - QSize(16, frame);
    setMaximumSize(room);
    int tableWidth = m_pTable->verticalScrollBar()->sizeHint().width() + 2 * m_pTable->frameWidth();
    for (int column = 0; column < m_pTable->columnCount(); ++column)
        tableWidth += m_pTable->columnWidth(column);
    int tableHeight =
        m_pTable->horizontalHeader()->sizeHint().height() + 2 * m_pTable->frameWidth();
    for (int row = 0; row < m_pTable->rowCount(); ++row)
        tableHeight += m_pTable->rowHeight(row);
    m_pTable->setMinimumHeight(
        std::min(tableHeight, 4 * m_pTable->verticalHeader()->defaultSectionSize()));
    const QSize others = sizeHint() - m_pTable->sizeHint();
    resize(std::min(room.width(), std::max(others.width(), 0) + tableWidth),
           std::min(room.height(), std::max(others.height(), 0) + tableHeight));
}

std::vector<RecoveryChoice> CRecoveryDlg::Choices() const
{
    std::vector<RecoveryChoice> choices;
    for (const QComboBox* choice : m_choices)
        choices.push_back(static_cast<RecoveryChoice>(choice->currentIndex()));
    return choices;
}

void CRecoveryDlg::SetChoice(int row, RecoveryChoice choice)
{
    if (row >= 0 && row < static_cast<int>(m_choices.size()))
        m_choices[static_cast<std::size_t>(row)]->setCurrentIndex(static_cast<int>(choice));
}

void CRecoveryDlg::SetAllChoices(RecoveryChoice choice)
{
    for (int row = 0; row < static_cast<int>(m_choices.size()); ++row)
        SetChoice(row, choice);
}
