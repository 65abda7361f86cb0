// The program's run: its folder, the message loop and the exit routine.
#pragma once

#include <functional>

namespace runtime {

// Makes the folder of the program's own file the process's current folder.
// False when it could not.
bool enterProgramFolder();

// Runs the messages of every form until the loop is told to quit; returns
// the code it was told to quit with.
int runMessageLoop();

// Dispatches the messages already queued, the way the loop does, and returns
// without waiting for more. A request to quit that it meets is left queued
// for the loop.
void processPendingEvents();

// The routine run once when the program ends; setting another replaces it.
void setExitRoutine(std::function<void()> routine);
void runExitRoutine();

} // namespace runtime
