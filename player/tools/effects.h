#pragma once
// The screen saver's transition effects: each brings the source picture into the destination piece by
// piece (rows, columns, 2 x 2 and 5 x 5 blocks, single pixels), so the change is seen as a movement.
//
// Every routine first gives the destination the source's size, then runs its variant's loops. The
// copies follow the loops step by step, each copying from the same place in the source unless the
// routine says otherwise; positions and sizes computed as real numbers are rounded to the nearest whole
// pixel (halves to even). Only pixels that lie inside both pictures are copied: the rest of a copy that
// reaches beyond either picture leaves the destination as it was.
//
// On show, an effect is paced so that it is seen as a movement: a picture that fills its window takes
// half a second to two seconds (more for an effect of more steps), a smaller one proportionally less,
// and every display frame (about 60 a second) shows the steps due by then. Events are handled while it
// waits for the next frame, so a key press is answered at once. A destination that is not shown runs
// at the machine's speed and handles events once a frame. A variant outside a routine's range does
// nothing beyond the sizing.
#include <QtGlobal>
#include <functional>

class PictureBox;

namespace SHE {

enum class EffectEnd {
    Done,     // every step ran
    Failed,   // the picture is too small for the effect: it left at once, before any copy
    Stopped,  // the destination was hidden, or a picture destroyed, while it ran: it left at that step
};

// Rows slide in from the top and bottom edges to their places, the middle row first (variant 1), or
// columns from the left and right edges (variant 2).
EffectEnd RainHalves(PictureBox& dest, PictureBox& src, int variant);
// Rows fall from the top (1) or rise from the bottom (2); columns come in from the right (3) or left (4).
EffectEnd RainLines(PictureBox& dest, PictureBox& src, int variant);
// The two halves slide in from the left and right (1) or from the top and bottom (2) and meet in the
// middle. A picture of odd width (1) or height (2) keeps its last column or row as it was.
EffectEnd CloseDoor(PictureBox& dest, PictureBox& src, int variant);
// Whole blocks of blockSize x blockSize pixels in a shuffled order; strips narrower than a block at the
// right and bottom edges keep what was shown. Fails when the picture holds no whole block.
EffectEnd RandomBlocks(PictureBox& dest, PictureBox& src, int blockSize);
// The same with the picture cut into quarters that share one shuffled order: first the top-left and
// bottom-right quarters, then the other two. Fails when a quarter holds no whole block.
EffectEnd RandomQuarters(PictureBox& dest, PictureBox& src, quint8 blockSize);
// A diagonal edge of 2 x 2 blocks sweeps across (variants 1 and 2), or two edges meet on a diagonal
// (3 and 4).
EffectEnd DiagonalSweep(PictureBox& dest, PictureBox& src, int variant);
// A centred rectangle grows (1), or its outline shrinks (2) or grows (3), or its side edges and then its
// top and bottom edges shrink (4) or grow (5).
EffectEnd CentreOut(PictureBox& dest, PictureBox& src, int variant);
// A corner grows from one of the corners (1 to 4), or the picture slides in from one (5 to 8).
EffectEnd CornerWipe(PictureBox& dest, PictureBox& src, int variant);
// Two wavy lines of single pixels cross the picture: from the top and bottom (1), from the left and
// right (2), meeting in the middle from the sides (3) or from the top and bottom (4). Fails when the
// picture is narrower (1, 4) or lower (2, 3) than ten pixels.
EffectEnd SineWave(PictureBox& dest, PictureBox& src, int variant);

// Processes pending events n times, and once when n is 0 or less.
void YieldEvents(int n);
// Exchanges a and b.
void SwapLongs(qint32& a, qint32& b);

// Tests: called at the start of every step of every effect, with the step's number (0 for the first);
// an empty function takes it away.
void setStepWatcherForTests(std::function<void(qint64 step)> watcher);
// Tests: how many steps the last effect counted on before its first step (0 when it made none).
qint64 plannedStepsForTests();

}  // namespace SHE
