#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// One point's scan time before and after a change.
struct TargetChange
{
    std::int32_t index = 0;
    float before = 0.0f;
    float after = 0.0f;
};

// The undo history of a pattern's targets: each gesture is one named step holding only
// the points it changed, so memory follows the size of the changes, never of the grid.
// A step is opened, records its changes as they are made and is committed at the end of
// the gesture; a step that changed nothing is dropped. The oldest steps go beyond the
// bound. The history also remembers the state that was last saved, so the modified flag
// can follow undo and redo.
class CTargetHistory
{
public:
    static constexpr std::size_t kDefaultMaxSteps = 100;

    // maxPoints bounds the points one step may hold: a bigger change, like one whose
    // record cannot be allocated, empties the history instead of ending the program.
    explicit CTargetHistory(std::size_t maxSteps = kDefaultMaxSteps,
                            std::size_t maxPoints = static_cast<std::size_t>(-1));

    // No steps, no open step; no state is the saved one.
    void Clear();

    // Opens a step; one still open is committed first.
    void Open(const QString& name);
    bool IsOpen() const { return m_bOpen; }
    // Room for count more points in the open step.
    void Reserve(std::size_t count);
    // One point changed in the open step; ignored when no step is open.
    void Record(std::int32_t index, float before, float after);
    // Ends the open step. A point changed several times keeps its first time before and its
    // last time after; points that end as they began are left out. False when nothing
    // changed (and nothing is recorded, so the redo steps stay). A step too big to keep
    // empties the history: no step before it could be undone to a state that existed.
    bool Commit();

    bool CanUndo() const { return m_nPosition > 0; }
    bool CanRedo() const { return m_nPosition < m_steps.size(); }
    // The name of the step Undo or Redo would take; empty when there is none.
    QString UndoName() const;
    QString RedoName() const;
    // Steps back (Undo) or forward (Redo); the changes to apply, each point once, in any
    // order: their times before for an Undo, after for a Redo. Empty when there is nothing
    // to take.
    std::vector<TargetChange> Undo();
    std::vector<TargetChange> Redo();

    std::size_t StepCount() const { return m_steps.size(); }
    std::size_t MaxSteps() const { return m_nMaxSteps; }

    // The current state is the saved one.
    void MarkSaved() { m_nSavedState = CurrentState(); }
    // A change outside the history: no state of it matches the saved file any more.
    void ForgetSaved() { m_nSavedState = kNoState; }
    bool IsAtSaved() const { return m_nSavedState == CurrentState(); }

    // Bytes held by the committed steps.
    std::size_t MemoryBytes() const;

private:
    static constexpr std::uint64_t kNoState = 0;

    // Times of a step's points: one value when all are equal (a rectangle of new targets),
    // else one per point.
    struct Times
    {
        float uniform = 0.0f;
        std::vector<float> each;
        float At(std::size_t i) const { return each.empty() ? uniform : each[i]; }
        void Assign(std::vector<float>&& values);
    };
    struct Step
    {
        QString name;
        std::uint64_t state = kNoState; // the state after the step
        std::vector<std::int32_t> indices;
        Times before;
        Times after;
    };

    std::uint64_t CurrentState() const;
    static std::vector<TargetChange> Changes(const Step& step);

    void Lose();
    // Makes the recorded changes the newest step; false when they change nothing.
    bool Keep(std::vector<TargetChange>&& changes);

    std::size_t m_nMaxSteps;
    std::size_t m_nMaxPoints;
    bool m_bLost = false; // the open step could not be kept
    std::deque<Step> m_steps;
    std::size_t m_nPosition = 0; // steps applied
    std::uint64_t m_nBaseState = kNoState;
    std::uint64_t m_nNextState = 1;
    std::uint64_t m_nSavedState = kNoState;
    bool m_bOpen = false;
    QString m_strOpenName;
    std::vector<TargetChange> m_open;
};
