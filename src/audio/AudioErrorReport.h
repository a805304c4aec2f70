#pragma once
// Sound-layer failures the user should see: the result's text as the board's error.

class StatusBoard;

// Posts the text of a failed result (with a line feed); true when it was a failure.
bool reportAudioError(StatusBoard& board, int result);
