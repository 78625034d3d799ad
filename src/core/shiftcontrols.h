#pragma once

class QWidget;

// Moves every child of `panel` whose top edge lies strictly below the top
// edge of `control` down by `delta` pixels (up when negative), to open or
// close a section of a page. Nothing happens without a panel or control, with
// a delta of 0, or when the panel has no children.
void ShiftControlsBelow(QWidget *panel, QWidget *control, int delta);
