#pragma once

class QLabel;

// The short waste-bin animation after something is dropped on a bin: three
// times the closed bin, then the open one, 300 ms each. Runs on a timer, never
// blocks the window, and ends by itself (at once if the label goes away).
void Tm_DustbinCartoon(QLabel *picture);
