#pragma once

// Delivers what is already queued for the GUI thread: posted events, queued
// signals and timers that are due. A test calls it before checking that an
// action had no further effect, instead of waiting a guessed while.
void deliverPendingEvents();
