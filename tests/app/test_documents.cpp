#include "app/CommandIds.h"
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "link/CRemoteCommandHandler.h"
#include "tests/app/ShellFixture.h"
#include "tests/link/LinkFakes.h"
#include "view/CVespiraView.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArrayList Encoded(const QStringList& paths)
{
    QByteArrayList bytes;
    for (const QString& path : paths)
        bytes << QFile::encodeName(path);
    return bytes;
}

const QString kCollectingWarning =
    QStringLiteral("WARNING: Radiography pattern is still being collected.\n"
                   "\tOK\twill continue with command (abort data collection).\n"
                   "\tCancel\twill cancel your command (return to application).");

} // namespace

TEST_F(ShellTest, NewMakesAnEmpty51By51PatternTitledOrma1)
{
    CVespiraDoc* doc = frame->NewDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("ORMA1"));
    EXPECT_EQ(doc->m_nXPoints, 51);
    EXPECT_EQ(doc->m_nYPoints, 51);
    EXPECT_FLOAT_EQ(doc->m_fXBeg, -5.0f);
    EXPECT_FLOAT_EQ(doc->m_fYEnd, 5.0f);
    EXPECT_FLOAT_EQ(doc->m_fXInc, 0.2f);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(state.liveScan.Document(), doc);
    // The view is the active view at once, before any repaint.
    ASSERT_NE(frame->ActiveView(), nullptr);
    EXPECT_EQ(state.liveScan.View(), static_cast<IPatternView*>(frame->ActiveView()));
    EXPECT_EQ(frame->ActiveView()->GetDocument(), doc);
    EXPECT_EQ(docs.FramesOf(doc).size(), 1);
    EXPECT_EQ(docs.FramesOf(doc)[0]->windowTitle(), QStringLiteral("ORMA1"));

    CVespiraDoc* second = frame->NewDocument();
    EXPECT_EQ(second->GetTitle(), QStringLiteral("ORMA2"));
    EXPECT_EQ(state.liveScan.Document(), second);
    EXPECT_EQ(state.liveScan.View(),
              static_cast<IPatternView*>(docs.FramesOf(second)[0]->GetView()));
}

TEST_F(ShellTest, NewIsRefusedSilentlyForAnEmptyGrid)
{
    ScanGrid empty;
    empty.nXPoints = 0;
    state.liveScan.SetPendingGrid(empty);
    EXPECT_EQ(frame->NewDocument(), nullptr);
    EXPECT_TRUE(docs.Documents().empty());
    EXPECT_TRUE(docs.Frames().isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    // The refused one took no number.
    state.liveScan.SetPendingGrid(ScanGrid{});
    EXPECT_EQ(frame->NewDocument()->GetTitle(), QStringLiteral("ORMA1"));
}

TEST_F(ShellTest, SaveAsWritesARadFileAndTakesItsName)
{
    CVespiraDoc* doc = frame->NewDocument();
    doc->m_pIntensity[5] = 1234;
    const QString path = TempPath(QStringLiteral("first.rad"));
    saveAnswers << path;
    frame->Action(ID_FILE_SAVE_AS)->trigger();
    EXPECT_EQ(suggestedNames, QStringList{QStringLiteral("ORMA1.rad")});
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("first.rad"));
    EXPECT_EQ(doc->GetPathName(), QFile::encodeName(path));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_STREQ(doc->m_szFileName, "first.rad");
    EXPECT_GE(ui.waitCount, 1); // the wait cursor
    EXPECT_EQ(docs.RecentFiles(), QByteArrayList{QFile::encodeName(path)});
    Settle();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - first.rad"));

    // The file reads back as the same pattern.
    CTestProgram other(ui);
    CVespiraDoc copy(other);
    ASSERT_TRUE(ReadPatternFile(copy, QFile::encodeName(path)));
    EXPECT_EQ(copy.m_nXPoints, 51);
    EXPECT_EQ(copy.m_pIntensity[5], 1234);

    // Save (Ctrl+S) of a document with a file writes without asking.
    doc->SetModifiedFlag(true);
    frame->Action(ID_FILE_SAVE)->trigger();
    EXPECT_EQ(suggestedNames.size(), 1);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ShellTest, SaveOfANewPatternAsksForAName)
{
    CVespiraDoc* doc = frame->NewDocument();
    frame->Action(ID_FILE_SAVE)->trigger(); // cancelled in the dialog
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(suggestedNames.size(), 1);
    saveAnswers << TempPath(QStringLiteral("named.rad"));
    frame->Action(ID_FILE_SAVE)->trigger();
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("named.rad"));
}

TEST_F(ShellTest, OpenMakesADocumentThatIsNotActive)
{
    CVespiraDoc* made = frame->NewDocument();
    const QString path = QStringLiteral(VESPIRA_EXAMPLES "/small.rad");
    openAnswers << path;
    frame->Action(ID_FILE_OPEN)->trigger();
    ASSERT_EQ(docs.Documents().size(), 2u);
    CVespiraDoc* opened = docs.Documents()[1];
    EXPECT_EQ(opened->GetTitle(), QStringLiteral("small.rad"));
    EXPECT_FALSE(opened->IsModified());
    EXPECT_EQ(state.liveScan.Document(), made);
    Settle();
    EXPECT_EQ(frame->ActiveChildDocument(), opened);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - small.rad"));
    // Opening the same file again only brings its window forward.
    EXPECT_EQ(docs.OpenDocumentFile(QFile::encodeName(path)), opened);
    EXPECT_EQ(docs.Documents().size(), 2u);
}

TEST_F(ShellTest, AFailedReadDiscardsTheNewDocument)
{
    const QString path = TempPath(QStringLiteral("bad.rad"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a pattern at all\n");
    f.close();
    EXPECT_EQ(docs.OpenDocumentFile(QFile::encodeName(path)), nullptr);
    EXPECT_TRUE(docs.Documents().empty());
    EXPECT_TRUE(docs.Frames().isEmpty());
    EXPECT_EQ(ui.messages,
              QStringList{QStringLiteral("Requested file in not a ORMA Radiography document")});
    EXPECT_TRUE(docs.RecentFiles().isEmpty());
    // A missing file: no document, no message.
    EXPECT_EQ(docs.OpenDocumentFile(QFile::encodeName(TempPath(QStringLiteral("missing.rad")))),
              nullptr);
    EXPECT_EQ(ui.messages.size(), 1);
}

TEST_F(ShellTest, CloseAsksToSaveANewPattern)
{
    CVespiraDoc* doc = frame->NewDocument();
    ui.answers << IHostUi::Answer::Cancel;
    frame->Action(ID_FILE_CLOSE)->trigger();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Save changes to ORMA1?")});
    EXPECT_EQ(ui.buttonSets, QList<IHostUi::Buttons>{IHostUi::Buttons::YesNoCancel});
    EXPECT_EQ(docs.Documents().size(), 1u);

    ui.answers << IHostUi::Answer::No;
    frame->Action(ID_FILE_CLOSE)->trigger();
    EXPECT_TRUE(docs.Documents().empty());
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    EXPECT_EQ(state.liveScan.View(), nullptr);
    Settle();
    (void)doc;
    EXPECT_FALSE(frame->ShowsDocumentMenus());
}

TEST_F(ShellTest, AFailedSaveIsReportedAndKeepsTheDocumentOpen)
{
    CVespiraDoc* doc = frame->NewDocument();
    const QString path = TempPath(QStringLiteral("missing/folder/x.rad"));
    ui.answers << IHostUi::Answer::Yes;
    saveAnswers << path;
    frame->Action(ID_FILE_CLOSE)->trigger();
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[1], QStringLiteral("The pattern could not be saved as ") + path +
                                  ": No such file or directory.");
    EXPECT_EQ(docs.Documents().size(), 1u);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("ORMA1"));
}

TEST_F(ShellTest, YesSavesBeforeClosing)
{
    frame->NewDocument();
    ui.answers << IHostUi::Answer::Yes;
    const QString path = TempPath(QStringLiteral("kept.rad"));
    saveAnswers << path;
    frame->Action(ID_FILE_CLOSE)->trigger();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(docs.Documents().empty());
    // Yes, then a cancelled file dialog: the document stays.
    frame->NewDocument();
    ui.answers << IHostUi::Answer::Yes;
    frame->Action(ID_FILE_CLOSE)->trigger();
    EXPECT_EQ(docs.Documents().size(), 1u);
}

TEST_F(ShellTest, AScanCaptionNeverStandsForThePatternsName)
{
    CRemoteCommandHandler handler{state.services, state.view, *frame};
    handler.HandleRequest(Request(kNewImage, 0, 4, 1, 0, 4, 1));
    Settle();
    CVespiraDoc* doc = state.liveScan.Document();
    ASSERT_NE(doc, nullptr);
    handler.HandleRequest(Request(kNewPoint, 3.2f, 1, 0, 0, 0, 0, 3804));
    Settle();
    ASSERT_EQ(doc->GetTitle(), QStringLiteral("Collected:  X: 3  Y: 1  Int: 3804"));
    EXPECT_EQ(frame->ActiveChild()->windowTitle(), doc->GetTitle());

    frame->ActiveView()->OnSendTargets();
    EXPECT_STREQ(state.job.szJobName, "ORMA1");

    ASSERT_FALSE(docs.OnFileSaveAs(doc));
    EXPECT_EQ(suggestedNames, QStringList{QStringLiteral("ORMA1.rad")});

    ui.messages.clear();
    ui.answers << IHostUi::Answer::Ok << IHostUi::Answer::Cancel;
    EXPECT_FALSE(doc->SaveModified());
    EXPECT_EQ(ui.messages,
              (QStringList{kCollectingWarning, QStringLiteral("Save changes to ORMA1?")}));
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Collected:  X: 3  Y: 1  Int: 3804"));

    handler.HandleRequest(Request(kEndCollect));
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("ORMA1"));
}

TEST_F(ShellTest, WarningWhileTheActivePatternIsCollected)
{
    frame->NewDocument();
    state.liveScan.SetPointsRemaining(3);
    ui.answers << IHostUi::Answer::Cancel;
    frame->ActiveChild()->close();
    Settle();
    EXPECT_EQ(ui.messages, QStringList{kCollectingWarning});
    EXPECT_EQ(ui.buttonSets, QList<IHostUi::Buttons>{IHostUi::Buttons::OkCancel});
    EXPECT_EQ(docs.Documents().size(), 1u);
    EXPECT_EQ(docs.Frames().size(), 1);

    ui.messages.clear();
    ui.answers << IHostUi::Answer::Ok << IHostUi::Answer::No;
    frame->ActiveChild()->close();
    Settle();
    EXPECT_EQ(ui.messages,
              (QStringList{kCollectingWarning, QStringLiteral("Save changes to ORMA1?")}));
    EXPECT_TRUE(docs.Documents().empty());
    EXPECT_EQ(state.liveScan.PointsRemaining(), 3); // unchanged by the close
}

TEST_F(ShellTest, ANonActiveDocumentIsNeverWarnedAbout)
{
    frame->NewDocument();
    CVespiraDoc* active = frame->NewDocument();
    state.liveScan.SetPointsRemaining(5);
    CChildFrame* first = docs.Frames()[0];
    ASSERT_NE(first->GetDocument(), active);
    ui.answers << IHostUi::Answer::No;
    first->close();
    Settle();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Save changes to ORMA1?")});
    EXPECT_EQ(state.liveScan.Document(), active);
}

TEST_F(ShellTest, ExitAsksEveryDocumentAndCancelKeepsTheWindow)
{
    frame->NewDocument();
    frame->NewDocument();
    ui.answers << IHostUi::Answer::No << IHostUi::Answer::Cancel;
    frame->close();
    EXPECT_FALSE(frame->IsClosed());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(ui.messages, (QStringList{"Save changes to ORMA1?", "Save changes to ORMA2?"}));
    EXPECT_EQ(docs.Documents().size(), 2u);

    ui.answers << IHostUi::Answer::No << IHostUi::Answer::No;
    frame->Action(ID_APP_EXIT)->trigger();
    EXPECT_TRUE(frame->IsClosed());
    EXPECT_TRUE(docs.Documents().empty());
}

TEST_F(ShellTest, APatternStartedWhileTheExitQuestionIsUpIsAskedAbout)
{
    frame->NewDocument();
    // While the first question is up the instrument starts a scan: NEWIMAGE, NEWPOINTs.
    ui.onMessage = [this](const QString& text) {
        if (text == QStringLiteral("Save changes to ORMA1?") && docs.Documents().size() == 1) {
            frame->NewDocument();
            state.liveScan.SetPointsRemaining(2600);
        }
    };
    ui.answers << IHostUi::Answer::No << IHostUi::Answer::Cancel;
    frame->close();
    EXPECT_FALSE(frame->IsClosed());
    EXPECT_EQ(ui.messages,
              (QStringList{QStringLiteral("Save changes to ORMA1?"), kCollectingWarning}));
    EXPECT_EQ(docs.Documents().size(), 2u);

    // Going ahead with the exit asks about both again; the pattern being collected gets
    // the collecting warning before its save question.
    ui.messages.clear();
    ui.answers << IHostUi::Answer::No << IHostUi::Answer::Ok << IHostUi::Answer::No;
    frame->close();
    EXPECT_TRUE(frame->IsClosed());
    EXPECT_EQ(ui.messages,
              (QStringList{QStringLiteral("Save changes to ORMA1?"), kCollectingWarning,
                           QStringLiteral("Save changes to ORMA2?")}));
    EXPECT_TRUE(docs.Documents().empty());
}

TEST_F(ShellTest, OpenAndSaveAsStartInTheFolderLastUsed)
{
    QDir(tmp.path()).mkdir(QStringLiteral("saved"));
    const QString saved = TempPath(QStringLiteral("saved/one.rad"));
    frame->NewDocument();
    saveAnswers << saved;
    ASSERT_TRUE(docs.OnFileSaveAs(frame->ActiveChildDocument()));
    EXPECT_EQ(docs.LastFolder(), QFileInfo(saved).absolutePath());
    openAnswers << QStringLiteral(VESPIRA_EXAMPLES "/small.rad");
    ASSERT_NE(docs.OnFileOpen(), nullptr);
    EXPECT_EQ(docs.LastFolder(), QFileInfo(QStringLiteral(VESPIRA_EXAMPLES)).absoluteFilePath());

    // The program's own Open dialog starts there.
    CDocManager plain(state.services, state.View(), ui);
    plain.SetLastFolder(tmp.path());
    QString shown;
    ui.dialogHandler = [&shown](QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog))
            shown = files->directory().absolutePath();
        return 0;
    };
    EXPECT_EQ(plain.OnFileOpen(), nullptr);
    EXPECT_EQ(shown, QDir(tmp.path()).absolutePath());
}

TEST_F(ShellTest, NewWindowSharesTheDocument)
{
    CVespiraDoc* doc = frame->NewDocument();
    CChildFrame* original = docs.FramesOf(doc)[0];
    frame->Action(ID_WINDOW_NEW)->trigger();
    Settle();
    const QList<CChildFrame*> frames = docs.FramesOf(doc);
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0]->windowTitle(), QStringLiteral("ORMA1:1"));
    EXPECT_EQ(frames[1]->windowTitle(), QStringLiteral("ORMA1:2"));
    // The main caption carries the document's title, without the window number.
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - ORMA1"));

    // Closing one of two windows asks nothing; the active view moves to the other.
    // (A view that paints itself while its document is active becomes the active view.)
    state.liveScan.SetView(original->GetView());
    original->close();
    Settle();
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(docs.FramesOf(doc).size(), 1);
    EXPECT_EQ(state.liveScan.View(), static_cast<IPatternView*>(docs.FramesOf(doc)[0]->GetView()));
    EXPECT_EQ(docs.FramesOf(doc)[0]->windowTitle(), QStringLiteral("ORMA1"));

    ui.answers << IHostUi::Answer::No;
    docs.FramesOf(doc)[0]->close();
    Settle();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Save changes to ORMA1?")});
    EXPECT_TRUE(docs.Documents().empty());
}

TEST_F(ShellTest, TitleChangesReachTheCaptions)
{
    CVespiraDoc* doc = frame->NewDocument();
    Settle();
    doc->SetTitle(QStringLiteral("Collecting X: 1.0 Y: 2.0"));
    Settle();
    EXPECT_EQ(docs.FramesOf(doc)[0]->windowTitle(), QStringLiteral("Collecting X: 1.0 Y: 2.0"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Vespira - Collecting X: 1.0 Y: 2.0"));
}

TEST_F(ShellTest, RecentFilesKeepThreeNewestFirst)
{
    QStringList paths;
    for (int i = 1; i <= 4; ++i) {
        CVespiraDoc* doc = frame->NewDocument();
        paths << TempPath(QStringLiteral("p%1.rad").arg(i));
        saveAnswers << paths.last();
        docs.OnFileSaveAs(doc);
    }
    EXPECT_EQ(docs.RecentFiles(), Encoded({paths[3], paths[2], paths[1]}));
    docs.AddToRecentFiles(QFile::encodeName(paths[1]));
    EXPECT_EQ(docs.RecentFiles(), Encoded({paths[1], paths[3], paths[2]}));
    Settle();
    const QStringList file = Texts(Menu("&File"));
    EXPECT_FALSE(file.contains(QStringLiteral("Recent File")));
    const qsizetype at = file.indexOf(docs.RecentFileMenuText(0));
    EXPECT_TRUE(docs.RecentFileMenuText(0).startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(docs.RecentFileMenuText(0).endsWith(QStringLiteral("p2.rad")));
    ASSERT_GE(at, 0) << file.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(file[at + 1].startsWith(QStringLiteral("&2 ")));
    EXPECT_TRUE(file[at + 2].startsWith(QStringLiteral("&3 ")));

    // An entry that no longer opens leaves the list.
    const QString gone = TempPath(QStringLiteral("gone.rad"));
    docs.AddToRecentFiles(QFile::encodeName(gone));
    EXPECT_EQ(docs.RecentFiles(), Encoded({gone, paths[1], paths[3]}));
    EXPECT_EQ(docs.OpenRecentFile(0), nullptr);
    EXPECT_EQ(docs.RecentFiles(), Encoded({paths[1], paths[3]}));
}

TEST_F(ShellTest, NamesThatAreNotUtf8OpenFromTheDialogAndTheRecentList)
{
    // The dialog shows such a name with a replacement mark; the file it names opens.
    const QByteArray folder = QFile::encodeName(TempPath(QStringLiteral("d\u00e9ja")));
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray path = folder + "/lat\xe9.rad";
    ASSERT_TRUE(QFile::copy(QStringLiteral(VESPIRA_EXAMPLES "/small.rad"),
                            QFile::decodeName(folder + "/x")));
    ASSERT_EQ(::rename((folder + "/x").constData(), path.constData()), 0);
    openAnswers << QFile::decodeName(path);
    frame->Action(ID_FILE_OPEN)->trigger();
    ASSERT_EQ(docs.Documents().size(), 1u);
    CVespiraDoc* doc = docs.Documents()[0];
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_EQ(docs.RecentFiles(), QByteArrayList{path});
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();

    // Saved again under a second such name, both files stay apart.
    const QByteArray second = folder + "/lat\xe8.rad";
    ASSERT_TRUE(docs.DoSave(doc, second));
    EXPECT_STREQ(doc->m_szFileName, "lat\xe8.rad");
    EXPECT_EQ(docs.RecentFiles(), (QByteArrayList{second, path}));
    docs.CloseAllDocuments();
    ASSERT_NE(docs.OpenRecentFile(1), nullptr);
    EXPECT_EQ(docs.Documents()[0]->GetPathName(), path);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
    // QTemporaryDir cannot remove names it cannot spell.
    ::unlink(path.constData());
    ::unlink(second.constData());
}

TEST_F(ShellTest, DroppedRadFilesAreOpened)
{
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QStringLiteral(VESPIRA_EXAMPLES "/small.rad")),
                   QUrl::fromLocalFile(QStringLiteral(VESPIRA_EXAMPLES "/lut"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    ASSERT_EQ(docs.Documents().size(), 1u);
    EXPECT_EQ(docs.Documents()[0]->GetTitle(), QStringLiteral("small.rad"));
    delete mime;
}

TEST_F(ShellTest, AnotherStartHandsItsFileOver)
{
    frame->ActivateFromOtherInstance(QByteArray(VESPIRA_EXAMPLES "/small.rad"));
    ASSERT_EQ(docs.Documents().size(), 1u);
    EXPECT_NE(state.liveScan.Document(), docs.Documents()[0]);
    frame->ActivateFromOtherInstance(QByteArray());
    EXPECT_EQ(docs.Documents().size(), 1u);
}

TEST_F(ShellTest, EveryPointOfALargePatternCanBeReachedAndPicked)
{
    CVespiraDoc* doc = frame->NewDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->SetUpGrid({1001, 1001, 0.0f, 100.0f, 0.1f, 0.0f, 100.0f, 0.1f}));
    CChildFrame* child = docs.FramesOf(doc)[0];
    child->showMaximized();
    CVespiraView* view = child->GetView();
    view->RequestRepaint();
    Settle();
    auto* scroller = qobject_cast<QScrollArea*>(child->widget());
    ASSERT_NE(scroller, nullptr);
    ASSERT_LT(scroller->viewport()->height(), 1001) << "the window is smaller than the pattern";

    // Scrolled to the end, the last point's cell and the X axis values under the image are
    // on screen, and a click there finds that point.
    scroller->verticalScrollBar()->setValue(scroller->verticalScrollBar()->maximum());
    scroller->horizontalScrollBar()->setValue(scroller->horizontalScrollBar()->maximum());
    Settle();
    const QRect cell = view->CellRect(1000, 1000);
    ASSERT_FALSE(cell.isEmpty());
    const QRect shown(view->mapFrom(scroller->viewport(), QPoint(0, 0)),
                      scroller->viewport()->size());
    EXPECT_TRUE(shown.contains(cell.center()));
    EXPECT_LE(view->ScreenLayout().image.bottom() + view->ScreenLayout().lineHeight,
              shown.bottom());
    int col = -1;
    int row = -1;
    ASSERT_TRUE(view->HitTestGrid(cell.center().x(), cell.center().y(), col, row));
    EXPECT_EQ(col, 1000);
    EXPECT_EQ(row, 1000);

    // A pattern that fits needs no scrolling.
    ASSERT_TRUE(doc->SetUpGrid({51, 51, 0.0f, 5.0f, 0.1f, 0.0f, 5.0f, 0.1f}));
    view->RequestRepaint();
    Settle();
    EXPECT_LE(view->height(), scroller->viewport()->height());
    EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
}
