#pragma once

class TForm1;

// Starts a game and finds its first pair by clicking tile 1 and its partner with the mouse, so that
// the match sound plays in a run nobody can click in (offscreen); then says on standard output
// whether the pair was found and the sound device opened.
void PlayFirstPair(TForm1& form);
