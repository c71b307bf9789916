#include "document/CTargetHistory.h"
#include "tests/document/TestPatterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Grid = std::vector<float>;

// What the history must give: every state the targets passed through as a whole copy,
// the position among them, the names of the steps between them, and which state was saved.
struct SnapshotModel
{
    std::vector<Grid> states;
    int nextId = 0;
    std::vector<int> ids;
    std::vector<QString> names; // names[i]: the step from states[i] to states[i + 1]
    std::size_t position = 0;
    int savedId = -1;

    explicit SnapshotModel(const Grid& start) : states{start}, ids{nextId++} {}

    void Gesture(const QString& name, const Grid& after)
    {
        if (after == states[position])
            return;
        states.resize(position + 1);
        ids.resize(position + 1);
        names.resize(position);
        states.push_back(after);
        ids.push_back(nextId++);
        names.push_back(name);
        if (names.size() > CTargetHistory::kDefaultMaxSteps) {
            states.erase(states.begin());
            ids.erase(ids.begin());
            names.erase(names.begin());
        }
        position = states.size() - 1;
    }
    void Undo() { position -= position > 0 ? 1 : 0; }
    void Redo() { position += position + 1 < states.size() ? 1 : 0; }
    const Grid& Current() const { return states[position]; }
    bool Modified() const { return savedId != ids[position]; }
};

class TargetHistoryTest : public ::testing::Test, protected DocFixture
{
protected:
    // 7 x 5 points.
    std::unique_ptr<CVespiraDoc> SmallDoc() { return NewDoc(0.0f, 3.0f, 0.5f, 0.0f, 2.0f, 0.5f); }

    static void Gesture(CVespiraDoc& doc, const QString& name,
                        const std::vector<std::pair<int, float>>& points)
    {
        doc.BeginTargetStep(name);
        for (const auto& [index, time] : points)
            doc.SetScanTime(index % doc.m_nXPoints, index / doc.m_nXPoints, time);
        doc.EndTargetStep();
    }

    static void ExpectCounts(const CVespiraDoc& doc, const Grid& grid)
    {
        double total = 0.0;
        for (float t : grid)
            total += t;
        EXPECT_EQ(doc.ScanCount(),
                  std::count_if(grid.begin(), grid.end(), [](float t) { return t > 0.0f; }));
        EXPECT_DOUBLE_EQ(doc.TotalScanTime(), total);
    }
};

Grid Times(const CVespiraDoc& doc)
{
    return Grid(doc.m_pScanTime.begin(), doc.m_pScanTime.end());
}

} // namespace

TEST_F(TargetHistoryTest, FollowsWholeGridSnapshotsOverRandomGestures)
{
    auto doc = SmallDoc();
    ASSERT_TRUE(doc);
    doc->SetModifiedFlag(false);
    SnapshotModel model(Times(*doc));
    model.savedId = model.ids[0];

    std::mt19937 random(20261209);
    const int points = doc->PointCount();
    const float times[] = {0.0f, 0.9f, 1.0f, 12.5f, 900.0f};
    auto anyPoint = [&] { return std::uniform_int_distribution<int>(0, points - 1)(random); };
    auto anyTime = [&] { return times[std::uniform_int_distribution<int>(0, 4)(random)]; };
    for (int turn = 0; turn < 4000; ++turn) {
        const int action = std::uniform_int_distribution<int>(0, 11)(random);
        Grid expected = model.Current();
        QString name;
        switch (action) {
        case 0:
        case 1: { // a point, sometimes on a target already
            const int at = anyPoint();
            const float time = anyTime();
            expected[static_cast<std::size_t>(at)] = time;
            Gesture(*doc, name = QStringLiteral("Point"), {{at, time}});
            break;
        }
        case 2: { // a rectangle in grid order
            const int first = anyPoint();
            const int last = std::min(points - 1, first + anyPoint() / 3);
            const float time = anyTime();
            std::vector<std::pair<int, float>> rect;
            for (int i = first; i <= last; ++i) {
                rect.emplace_back(i, time);
                expected[static_cast<std::size_t>(i)] = time;
            }
            Gesture(*doc, name = QStringLiteral("Rectangle"), rect);
            break;
        }
        case 3:
        case 4: { // a curve or eraser stroke: any order, crossing itself
            const bool eraser = action == 4;
            std::vector<std::pair<int, float>> stroke;
            for (int n = std::uniform_int_distribution<int>(1, 12)(random); n > 0; --n) {
                const int at = anyPoint();
                const float time = eraser ? 0.0f : anyTime();
                stroke.emplace_back(at, time);
                expected[static_cast<std::size_t>(at)] = time;
            }
            Gesture(*doc, name = eraser ? QStringLiteral("Eraser") : QStringLiteral("Curve"),
                    stroke);
            break;
        }
        case 5: { // an import: repeated and outside indices included
            std::vector<PointTime> list;
            for (int n = std::uniform_int_distribution<int>(1, 8)(random); n > 0; --n) {
                const int at = std::uniform_int_distribution<int>(-2, points + 2)(random);
                const float time = anyTime();
                list.push_back({at, time});
                if (at >= 0 && at < points)
                    expected[static_cast<std::size_t>(at)] = time;
            }
            doc->SetScanTimes(list, name = QStringLiteral("Import"));
            break;
        }
        case 6:
            std::fill(expected.begin(), expected.end(), 0.0f);
            doc->ClearAll();
            name = QStringLiteral("Clear All");
            break;
        case 7:
        case 8:
            doc->Undo();
            model.Undo();
            break;
        case 9:
            doc->Redo();
            model.Redo();
            break;
        case 10:
            doc->SetModifiedFlag(false);
            model.savedId = model.ids[model.position];
            break;
        case 11:
            // A point from the instrument is no target edit: no undo finds the saved state.
            doc->SetPointIntensity(0.0f, 0.0f, turn);
            model.savedId = -1;
            break;
        }
        if (!name.isEmpty())
            model.Gesture(name, expected);

        ASSERT_EQ(Times(*doc), model.Current()) << "turn " << turn << ", action " << action;
        ExpectCounts(*doc, model.Current());
        ASSERT_EQ(doc->History().CanUndo(), model.position > 0) << "turn " << turn;
        ASSERT_EQ(doc->History().CanRedo(), model.position + 1 < model.states.size());
        if (doc->History().CanUndo()) {
            ASSERT_EQ(doc->History().UndoName(), model.names[model.position - 1]);
        }
        if (doc->History().CanRedo()) {
            ASSERT_EQ(doc->History().RedoName(), model.names[model.position]);
        }
        ASSERT_EQ(doc->IsModified(), model.Modified()) << "turn " << turn;
    }
    EXPECT_EQ(model.names.size(), CTargetHistory::kDefaultMaxSteps) << "the bound was reached";
}

TEST_F(TargetHistoryTest, KeepsTheLastHundredSteps)
{
    auto doc = SmallDoc();
    ASSERT_TRUE(doc);
    std::vector<Grid> after;
    for (int step = 0; step < 150; ++step) {
        Gesture(*doc, QStringLiteral("Point"),
                {{step % doc->PointCount(), static_cast<float>(step + 1)}});
        after.push_back(Times(*doc));
    }
    EXPECT_EQ(doc->History().StepCount(), 100u);
    int undone = 0;
    while (doc->History().CanUndo()) {
        doc->Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(Times(*doc), after[49]) << "the oldest fifty steps are gone";
    for (int step = 0; step < 100; ++step)
        doc->Redo();
    EXPECT_EQ(Times(*doc), after.back());
}

TEST_F(TargetHistoryTest, ANewStepDiscardsTheRedoStepsButAStepWithoutChangeDoesNot)
{
    auto doc = SmallDoc();
    ASSERT_TRUE(doc);
    Gesture(*doc, QStringLiteral("Rectangle"), {{0, 1.0f}, {1, 1.0f}, {2, 1.0f}});
    Gesture(*doc, QStringLiteral("Point"), {{10, 5.0f}});
    doc->Undo();
    EXPECT_EQ(doc->History().RedoName(), QStringLiteral("Point"));

    // A point on a target of the same time, a curve that comes back to where it began.
    Gesture(*doc, QStringLiteral("Point"), {{1, 1.0f}});
    Gesture(*doc, QStringLiteral("Curve"), {{20, 3.0f}, {20, 0.0f}});
    doc->SetScanTimes(std::vector<PointTime>{{-1, 4.0f}, {doc->PointCount(), 4.0f}},
                      QStringLiteral("Import"));
    EXPECT_EQ(doc->History().UndoName(), QStringLiteral("Rectangle"));
    EXPECT_EQ(doc->History().RedoName(), QStringLiteral("Point"));

    Gesture(*doc, QStringLiteral("Eraser"), {{0, 0.0f}});
    EXPECT_FALSE(doc->History().CanRedo());
    EXPECT_EQ(doc->History().UndoName(), QStringLiteral("Eraser"));
}

TEST_F(TargetHistoryTest, AStrokeThatCrossesItselfUndoesToWhereItBegan)
{
    CTargetHistory history;
    history.Open(QStringLiteral("Curve"));
    history.Record(9, 2.0f, 5.0f);
    history.Record(3, 0.0f, 1.0f);
    history.Record(9, 5.0f, 7.0f);
    history.Record(4, 6.0f, 0.0f);
    history.Record(4, 0.0f, 6.0f); // back as it was
    ASSERT_TRUE(history.Commit());
    std::vector<TargetChange> changes = history.Undo();
    std::sort(changes.begin(), changes.end(),
              [](const TargetChange& a, const TargetChange& b) { return a.index < b.index; });
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].index, 3);
    EXPECT_EQ(changes[0].before, 0.0f);
    EXPECT_EQ(changes[0].after, 1.0f);
    EXPECT_EQ(changes[1].index, 9);
    EXPECT_EQ(changes[1].before, 2.0f);
    EXPECT_EQ(changes[1].after, 7.0f);
    EXPECT_FALSE(history.Commit()) << "no step is open";
}

TEST_F(TargetHistoryTest, AStepCostsAtMostTwelveBytesAPoint)
{
    CTargetHistory history;
    const int count = 10'000;
    history.Open(QStringLiteral("Import"));
    for (int i = 0; i < count; ++i)
        history.Record(i, static_cast<float>(i % 7), static_cast<float>(i % 5 + 10));
    ASSERT_TRUE(history.Commit());
    EXPECT_LE(history.MemoryBytes(), 12u * count + 256u);

    // A rectangle of new targets: one time before, one after.
    history.Open(QStringLiteral("Rectangle"));
    for (int i = 0; i < count; ++i)
        history.Record(count + i, 0.0f, 900.0f);
    ASSERT_TRUE(history.Commit());
    EXPECT_LE(history.MemoryBytes(), 12u * count + 4u * count + 512u);
}

TEST_F(TargetHistoryTest, TheModifiedFlagFollowsUndoAndRedo)
{
    auto doc = SmallDoc();
    ASSERT_TRUE(doc);
    Gesture(*doc, QStringLiteral("Point"), {{1, 1.0f}});
    doc->SetModifiedFlag(false); // saved
    Gesture(*doc, QStringLiteral("Line"), {{2, 1.0f}, {3, 1.0f}});
    EXPECT_TRUE(doc->IsModified());
    doc->Undo();
    EXPECT_FALSE(doc->IsModified()) << "back at the saved state";
    doc->Undo();
    EXPECT_TRUE(doc->IsModified());
    doc->Redo();
    EXPECT_FALSE(doc->IsModified());
    doc->Redo();
    EXPECT_TRUE(doc->IsModified());

    // A step after an undo replaces the state that was saved for good.
    doc->Undo();
    doc->Undo();
    Gesture(*doc, QStringLiteral("Point"), {{5, 2.0f}});
    doc->Undo();
    EXPECT_TRUE(doc->IsModified()) << "the state before the point is not the saved one";
    doc->Redo();

    // A collected point is no step: no undo comes back to the saved state.
    doc->SetModifiedFlag(false);
    Gesture(*doc, QStringLiteral("Point"), {{6, 2.0f}});
    ASSERT_TRUE(doc->SetPointIntensity(0.0f, 0.0f, 17));
    doc->Undo();
    EXPECT_TRUE(doc->IsModified());

    // A saved state dropped beyond the bound is gone too.
    doc->SetModifiedFlag(false);
    for (int step = 0; step < 101; ++step)
        Gesture(*doc, QStringLiteral("Point"), {{step % 30, static_cast<float>(step + 1)}});
    while (doc->History().CanUndo())
        doc->Undo();
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(TargetHistoryTest, ClearAllAndUndoBringBackExactlyTheTargetsAndTheirCounts)
{
    auto doc = NewDoc(0.0f, 100.0f, 0.5f, 0.0f, 50.0f, 0.5f);
    ASSERT_TRUE(doc);
    std::mt19937 random(7);
    std::vector<PointTime> picked;
    for (int n = 0; n < 3000; ++n)
        picked.push_back({std::uniform_int_distribution<int>(0, doc->PointCount() - 1)(random),
                          std::uniform_int_distribution<int>(9, 9000)(random) / 10.0f});
    doc->SetScanTimes(picked, QStringLiteral("Import"));
    const Grid before = Times(*doc);
    const int count = doc->ScanCount();
    const double total = doc->TotalScanTime();
    const unsigned generation = doc->SelectionGeneration();

    doc->ClearAll();
    EXPECT_EQ(doc->History().UndoName(), QStringLiteral("Clear All"));
    ExpectCounts(*doc, Grid(before.size()));
    doc->Undo();
    EXPECT_EQ(Times(*doc), before);
    EXPECT_EQ(doc->ScanCount(), count);
    EXPECT_EQ(doc->TotalScanTime(), total);
    EXPECT_NE(doc->SelectionGeneration(), generation) << "drawn copies see the change";
    doc->Redo();
    ExpectCounts(*doc, Grid(before.size()));
    doc->Undo();
    doc->Undo();
    ExpectCounts(*doc, Grid(before.size()));

    // Clear All of nothing is no step.
    doc->ClearAll();
    EXPECT_FALSE(doc->History().CanUndo());
}

TEST_F(TargetHistoryTest, StartsEmptyOnANewGridAndAtTheClose)
{
    auto doc = SmallDoc();
    ASSERT_TRUE(doc);
    int changes = 0;
    QObject::connect(doc.get(), &CVespiraDoc::historyChanged, [&changes] { ++changes; });
    Gesture(*doc, QStringLiteral("Point"), {{1, 1.0f}});
    EXPECT_EQ(changes, 1);
    doc->Undo();
    EXPECT_EQ(changes, 2);
    ASSERT_TRUE(doc->SetUpGrid(doc->Grid()));
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(doc->History().CanUndo());
    EXPECT_FALSE(doc->History().CanRedo());

    Gesture(*doc, QStringLiteral("Point"), {{1, 1.0f}});
    doc->OnCloseDocument();
    EXPECT_FALSE(doc->History().CanUndo());
    doc->Undo(); // nothing to write into: the arrays are gone
    EXPECT_EQ(doc->ScanCount(), 0);
}

TEST_F(TargetHistoryTest, AStepTooBigToKeepEmptiesTheHistory)
{
    CTargetHistory history(100, 5);
    history.Open(QStringLiteral("Point"));
    history.Record(1, 0.0f, 1.0f);
    ASSERT_TRUE(history.Commit());
    history.MarkSaved();

    history.Open(QStringLiteral("Import"));
    history.Reserve(2);
    for (int i = 0; i < 6; ++i)
        history.Record(i + 10, 0.0f, 1.0f);
    EXPECT_TRUE(history.Commit()) << "the history changed";
    EXPECT_FALSE(history.CanUndo()) << "an older step would undo to a state that never was";
    EXPECT_FALSE(history.IsAtSaved());
    EXPECT_TRUE(history.Undo().empty());

    // Too big to reserve tells the same; the history works on afterwards.
    history.Open(QStringLiteral("Clear All"));
    history.Reserve(6);
    history.Record(3, 1.0f, 0.0f);
    EXPECT_TRUE(history.Commit());
    EXPECT_FALSE(history.CanUndo());
    history.Open(QStringLiteral("Point"));
    history.Record(2, 0.0f, 1.0f);
    ASSERT_TRUE(history.Commit());
    EXPECT_EQ(history.UndoName(), QStringLiteral("Point"));
}
